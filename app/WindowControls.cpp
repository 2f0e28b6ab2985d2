#include "app/WindowControls.h"

#include <QAction>
#include <QComboBox>
#include <QFileDialog>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QStackedWidget>
#include <QStringList>
#include <QTableView>
#include <QToolButton>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "app/ButtonPictures.h"
#include "app/FileDialog.h"
#include "app/FileListBox.h"
#include "app/ProgramIcon.h"
#include "app/Version.h"
#include "app/Widgets.h"
#include "app/core/FileKinds.h"

const char* const kApplicationTitle = QT_TRANSLATE_NOOP("TForm1", "Quorvan Web Optimizer");

namespace {

const char* const kPageNames[] = {QT_TRANSLATE_NOOP("TForm1", "Choose files"), QT_TRANSLATE_NOOP("TForm1", "Configure"),
                                  QT_TRANSLATE_NOOP("TForm1", "Optimize"), QT_TRANSLATE_NOOP("TForm1", "About")};

const char* const kWebsite = "https://quorvan.example.com/";
const char* const kEmail = "support@quorvan.example.com";

// "*.css *.js ...": the open dialog's patterns, in the order of the kind table.
QString WebFilePatterns()
{
    QStringList patterns;
    for (const TExtensionKind& known : KnownExtensions())
        if (known.kind->inWindow) patterns << QLatin1Char('*') + QString::fromStdString(known.extension);
    return patterns.join(QLatin1Char(' '));
}

}  // namespace

QString TWindowControls::ApplicationTitle()
{
    return tr(kApplicationTitle);
}

QString TWindowControls::PageName(int page)
{
    return page >= 0 && page < 4 ? tr(kPageNames[page]) : QString();
}

void TWindowControls::SetupControls(QWidget* form, QAbstractItemModel* results)
{
    form->setObjectName(QStringLiteral("Form1"));
    form->setWindowTitle(ApplicationTitle());
    form->setWindowIcon(ProgramIcon());
    form->setFont(TahomaFont(11));
    form->setPalette(DesignPalette());
    Paint(form, kFormColour, kTextColour);
    form->setMinimumSize(640, 460);
    form->setGeometry(226, 86, 640, 460);

    CreateButtonBar(form);
    RightPanel = Make<QWidget>(form, "RightPanel");
    Paint(RightPanel, kFormColour, kTextColour);
    CaptionPanel = Make<QLabel>(RightPanel, "CaptionPanel");
    CaptionPanel->setFont(TahomaFont(13));
    CaptionPanel->setAlignment(Qt::AlignCenter);
    Paint(CaptionPanel, kCaptionColour, Qt::white);
    Notebook1 = Make<QStackedWidget>(RightPanel, "Notebook1");
    Notebook1->setFont(TahomaFont(13));
    CreateChooseFilesPage();
    CreateConfigurePage();
    CreateOptimizePage(results);
    CreateAboutPage();
    CreateDialogs(form);
}

void TWindowControls::CreateButtonBar(QWidget* form)
{
    Panel1 = Make<QWidget>(form, "Panel1");
    Paint(Panel1, kButtonBarColour, kTextColour);
    struct Big {
        QToolButton** button;
        const char* name;
        const char* text;
        ButtonPicture picture;
    };
    const Big bigButtons[] = {
        {&ChooseButton, "ChooseButton", QT_TRANSLATE_NOOP("TForm1", "Choose files"), ButtonPicture::ChooseFiles},
        {&ConfigButton, "ConfigButton", QT_TRANSLATE_NOOP("TForm1", "Configure"), ButtonPicture::Configure},
        {&OptiButton, "OptiButton", QT_TRANSLATE_NOOP("TForm1", "Optimize"), ButtonPicture::Optimize},
        {&ExitButton, "ExitButton", QT_TRANSLATE_NOOP("TForm1", "Exit"), ButtonPicture::Exit},
    };
    int top = 0;
    for (const Big& big : bigButtons) {
        QToolButton* button = Make<QToolButton>(Panel1, big.name);
        button->setText(tr(big.text));
        button->setIcon(QIcon(DrawButtonPicture(big.picture)));
        button->setIconSize(QSize(64, 64));
        button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
        button->setAutoRaise(true);
        button->setGeometry(0, top, 105, 97);
        *big.button = button;
        top += 96;
    }
    SpeedButton1 = Make<QToolButton>(Panel1, "SpeedButton1");
    SpeedButton1->setText(tr("About"));
    SpeedButton1->setAutoRaise(true);
    SpeedButton1->setGeometry(0, 400, 52, 25);
    SpeedButton2 = Make<QToolButton>(Panel1, "SpeedButton2");
    SpeedButton2->setText(tr("Help"));
    SpeedButton2->setAutoRaise(true);
    SpeedButton2->setGeometry(52, 400, 53, 25);
}

void TWindowControls::CreateChooseFilesPage()
{
    QWidget* page = Make<QWidget>(Notebook1, "ChooseFilesPage");
    Notebook1->addWidget(page);
    Label8 = MakeLabel(page, "Label8", tr("Select output directory"), 16, 16);
    OutputDir = Make<QLineEdit>(page, "OutputDir");
    OutputDir->setGeometry(16, 40, 401, 24);
    BrowseButton2 = MakeButton(page, "BrowseButton2", tr("Browse"), 424, 40);
    Label1 = MakeLabel(page, "Label1", tr("Select files you want to opimize."), 16, 88);
    BrowseButton = MakeButton(page, "BrowseButton", tr("Browse"), 424, 88);

    ListBox1 = Make<TFileListBox>(page, "ListBox1");
    ListBox1->setGeometry(16, 112, 497, 273);
    ListBox1->setSelectionMode(QAbstractItemView::ExtendedSelection);
    ListBox1->setUniformItemSizes(true);
    ListBox1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    ListBox1->setContextMenuPolicy(Qt::CustomContextMenu);

    PopupMenu1 = new QMenu(ListBox1);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    REmovefromlist1 = PopupMenu1->addAction(tr("Remove from list"));
    REmovefromlist1->setObjectName(QStringLiteral("REmovefromlist1"));
}

void TWindowControls::CreateConfigurePage()
{
    QWidget* page = Make<QWidget>(Notebook1, "ConfigurePage");
    Notebook1->addWidget(page);
    // Where the window puts the built-in rows' groups, and their controls' names.
    struct Place {
        const char* kind;
        QGroupBox** box;
        const char* boxName;
        int left, top;
        QComboBox** combo;
        const char* comboName;
        QLabel** notice;
        const char* noticeName;
    };
    const Place places[] = {
        {"png", &GroupBox1, "GroupBox1", 8, 16, &PNGCombo, "PNGCombo", &PNGDisabledLabel, "PNGDisabledLabel"},
        {"js", &GroupBox6, "GroupBox6", 264, 16, &JSCombo, "JSCombo", &JsDisabledLabel, "JsDisabledLabel"},
        {"jpeg", &GroupBox3, "GroupBox3", 10, 144, &JPEgCombo, "JPEgCombo", &JPEGDisabledLabel, "JPEGDisabledLabel"},
        {"html", &GroupBox4, "GroupBox4", 264, 144, &HTMLCombo, "HTMLCombo", nullptr, nullptr},
        {"gif", &GroupBox2, "GroupBox2", 8, 272, &GIFCombo, "GIFCombo", nullptr, nullptr},
        {"css", &GroupBox5, "GroupBox5", 264, 272, &CSSCombo, "CSSCombo", nullptr, nullptr},
    };
    std::vector<std::pair<FileKind, const Place*>> groups;
    for (const Place& place : places)
        if (const FileKind kind = OptimizerNamed(place.kind)) groups.emplace_back(kind, &place);
    // Any other row with a selector gets a group of its own, two to a line below.
    for (const FileKind kind : Optimizers())
        if (kind->inWindow && !kind->entries.empty() && std::none_of(groups.begin(), groups.end(), [kind](const auto& group) {
                return group.first == kind;
            }))
            groups.emplace_back(kind, nullptr);
    int extra = 0;
    for (const auto& [kind, place] : groups) {
        const std::string name = place ? place->boxName : kind->caption + "GroupBox";
        QGroupBox* box = Make<QGroupBox>(page, name.c_str());
        box->setTitle(tr("%1 Optimization").arg(QString::fromStdString(kind->caption)));
        if (place) {
            box->setGeometry(place->left, place->top, 253, 113);
        } else {
            box->setGeometry(8 + 256 * (extra % 2), 400 + 128 * (extra / 2), 253, 113);
            ++extra;
        }
        MakeLabel(box, "", tr("Level"), 8, 34);
        const std::string comboName = place ? place->comboName : kind->caption + "Combo";
        QComboBox* combo = Make<QComboBox>(box, comboName.c_str());
        combo->setEditable(false);
        for (const std::string& entry : kind->entries) combo->addItem(QString::fromStdString(entry));
        combo->setCurrentIndex(static_cast<int>(kind->defaultEntry));
        combo->setGeometry(48, 32, 201, 24);
        combos_[kind] = combo;
        if (place) {
            *place->box = box;
            *place->combo = combo;
        }
        if (kind->pluginFile.empty()) continue;
        const std::string noticeName = place && place->noticeName ? place->noticeName : kind->caption + "DisabledLabel";
        QLabel* notice = Make<QLabel>(box, noticeName.c_str());
        Paint(notice, kFormColour, kTextColour);
        notice->setFont(TahomaFont(11));
        notice->setText(tr("To enable this optimization you need to install\n"
                           "plugins. You can get plugins for  free from the \n"
                           "program's webpage (see \"About\" for the link)."));
        notice->setGeometry(16, 64, 223, 39);
        notice->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        notice->hide();
        notices_[kind] = notice;
        if (place && place->notice) *place->notice = notice;
    }
}

void TWindowControls::CreateOptimizePage(QAbstractItemModel* results)
{
    QWidget* page = Make<QWidget>(Notebook1, "OptimizePage");
    Notebook1->addWidget(page);
    Label9 = MakeLabel(page, "Label9", tr("Optimization results"), 16, 16);
    SaveButton = MakeButton(page, "SaveButton", tr("Save"), 424, 16);

    ResultGrid = Make<QTableView>(page, "ResultGrid");
    ResultGrid->setModel(results);
    ResultGrid->setGeometry(16, 40, 497, 313);
    ResultGrid->verticalHeader()->hide();
    ResultGrid->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    ResultGrid->verticalHeader()->setDefaultSectionSize(24);
    QHeaderView* header = ResultGrid->horizontalHeader();
    header->setSectionResizeMode(QHeaderView::Fixed);
    header->setDefaultSectionSize(64);
    header->setMinimumSectionSize(1);
    header->setFixedHeight(24);
    header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignTop);
    header->setHighlightSections(false);
    header->setSectionsClickable(false);
    header->setStyleSheet(QStringLiteral("QHeaderView::section { background-color: %1; color: %2; border: none;"
                                         " border-bottom: 1px solid %3; padding: 2px 0px 0px 2px; }")
                              .arg(kHeaderColour.name(), kTextColour.name(), kGridLineColour.name()));
    ResultGrid->setShowGrid(false);
    ResultGrid->setSelectionBehavior(QAbstractItemView::SelectRows);
    ResultGrid->setSelectionMode(QAbstractItemView::SingleSelection);
    ResultGrid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ResultGrid->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    ResultGrid->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    ResultGrid->setWordWrap(false);

    ProgressBar1 = Make<QProgressBar>(page, "ProgressBar1");
    ProgressBar1->setGeometry(16, 360, 497, 25);
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setValue(0);
    ProgressBar1->setTextVisible(false);
}

void TWindowControls::CreateAboutPage()
{
    QWidget* page = Make<QWidget>(Notebook1, "AboutPage");
    Notebook1->addWidget(page);
    Label10 =
        MakeLabel(page, "Label10", tr("%1 v.%2").arg(ApplicationTitle(), QString::fromLatin1(kVersionText)), 136, 24);
    Label10->setFont(TahomaFont(16, true));
    Label10->adjustSize();
    Label11 = MakeLabel(page, "Label11",
                        tr("Quorvan Web Optimizer is free to use for your web sites.\n"
                           "It comes with no warranty of any kind.\n"
                           "\n"
                           "Source files are never changed: the optimized files\n"
                           "are written under their own names into the output\n"
                           "directory, replacing files of the same name there."),
                        96, 64);
    Label12 = MakeLabel(page, "Label12", tr("Website:\nE-mail:"), 136, 200);
    Label13 = MakeLabel(page, "Label13", QString::fromLatin1(kWebsite), 192, 200);
    Label14 = MakeLabel(page, "Label14", QString::fromLatin1(kEmail), 232, 216);
    for (QLabel* link : {Label13, Label14}) {
        link->setCursor(Qt::PointingHandCursor);
        link->setMouseTracking(true);
        SetTextColour(link, kTextColour);
    }
}

void TWindowControls::CreateDialogs(QWidget* form)
{
    OpenDialog1 = new TFileDialog(form);
    OpenDialog1->setObjectName(QStringLiteral("OpenDialog1"));
    OpenDialog1->setFileMode(QFileDialog::ExistingFiles);
    OpenDialog1->setNameFilter(tr("Web files (%1)").arg(WebFilePatterns()));
    OpenDialog1->setSizeGripEnabled(true);

    SaveDialog1 = new TFileDialog(form);
    SaveDialog1->setObjectName(QStringLiteral("SaveDialog1"));
    SaveDialog1->setAcceptMode(QFileDialog::AcceptSave);
    SaveDialog1->setFileMode(QFileDialog::AnyFile);
    SaveDialog1->setNameFilter(tr("HTML (*.htm *.html)"));
    SaveDialog1->setOption(QFileDialog::DontConfirmOverwrite);
}

QComboBox* TWindowControls::Combo(FileKind kind) const
{
    const auto found = combos_.find(kind);
    return found == combos_.end() ? nullptr : found->second;
}

QLabel* TWindowControls::DisabledNotice(FileKind kind) const
{
    const auto found = notices_.find(kind);
    return found == notices_.end() ? nullptr : found->second;
}
