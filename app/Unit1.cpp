#include "app/Unit1.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMenu>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QStackedWidget>
#include <QTableWidget>
#include <QToolButton>
#include <QUrl>

#include <algorithm>
#include <stdexcept>

#include "app/ButtonPictures.h"
#include "app/FileListBox.h"
#include "app/IconCache.h"
#include "app/OwnerDrawDelegate.h"
#include "app/core/PathShortening.h"
#include "app/core/PluginCheck.h"
#include "app/core/Report.h"
#include "app/core/ResultGrid.h"
#include "app/core/Run.h"
#include "app/core/Selectors.h"
#include "app/core/WebFiles.h"
#include "compressors/tools/PluginDir.h"

const char* const kApplicationTitle = "Quorvan Web Optimizer";

namespace {

const QColor kFormColour(0xFF, 0xFC, 0xEA);
const QColor kButtonBarColour(0xFF, 0xF5, 0xC1);
const QColor kCaptionColour(0x1A, 0x99, 0xCC);
const QColor kHeaderColour(0xFF, 0xF5, 0xC1);
const QColor kGridLineColour(0xD4, 0xD0, 0xC8);

const char* const kPageNames[] = {"Choose files", "Configure", "Optimize", "About"};

const char* const kPluginNotice = "To enable this optimization you need to install\n"
                                  "plugins. You can get plugins for  free from the \n"
                                  "program's webpage (see \"About\" for the link).";

const char* const kWebsite = "https://quorvan.example.com/";
const char* const kEmail = "support@quorvan.example.com";

QFont TahomaFont(int pixelSize, bool bold = false)
{
    QFont font(QStringLiteral("Tahoma"));
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    return font;
}

void Paint(QWidget* widget, const QColor& colour)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, colour);
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

void SetTextColour(QWidget* widget, const QColor& colour)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, colour);
    widget->setPalette(palette);
}

template <typename T>
T* Make(QWidget* parent, const char* name)
{
    T* widget = new T(parent);
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

QLabel* MakeLabel(QWidget* parent, const char* name, const QString& text, int left, int top)
{
    QLabel* label = Make<QLabel>(parent, name);
    label->setText(text);
    label->move(left, top);
    label->adjustSize();
    return label;
}

// A push button of the window's size (88 x 24) that calls click on form.
template <typename Form>
QPushButton* MakeButton(QWidget* parent, const char* name, const QString& text, int left, int top, Form* form,
                        void (Form::*click)())
{
    QPushButton* button = Make<QPushButton>(parent, name);
    button->setText(text);
    button->setGeometry(left, top, 88, 24);
    QObject::connect(button, &QPushButton::clicked, form, click);
    return button;
}

QString Q(const std::string& text)
{
    return QString::fromStdString(text);
}

std::string ShortenedPath(const QString& path, const QFontMetrics& metrics, int maxWidth)
{
    return ShortenPath(path.toStdString(), maxWidth,
                       [&metrics](const std::string& text) { return metrics.horizontalAdvance(Q(text)); });
}

}  // namespace

TForm1::TForm1(const std::string& programDir, QWidget* parent)
    : QWidget(parent), programDir_(programDir.empty() ? ProgramDir() : programDir)
{
    if (programDir_.back() != '/') programDir_ += '/';
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QString::fromLatin1(kApplicationTitle));
    setFont(TahomaFont(11));
    Paint(this, kFormColour);
    setMinimumSize(640, 460);
    setGeometry(226, 86, 640, 460);

    CreateButtonBar();
    RightPanel = Make<QWidget>(this, "RightPanel");
    Paint(RightPanel, kFormColour);
    CaptionPanel = Make<QLabel>(RightPanel, "CaptionPanel");
    CaptionPanel->setFont(TahomaFont(13));
    CaptionPanel->setAlignment(Qt::AlignCenter);
    Paint(CaptionPanel, kCaptionColour);
    SetTextColour(CaptionPanel, Qt::white);
    Notebook1 = Make<QStackedWidget>(RightPanel, "Notebook1");
    Notebook1->setFont(TahomaFont(13));
    CreateChooseFilesPage();
    CreateConfigurePage();
    CreateOptimizePage();
    CreateAboutPage();
    CreateDialogs();
    ShowPage(0);
    FormCreate();
}

TForm1::~TForm1() = default;

void TForm1::CreateButtonBar()
{
    Panel1 = Make<QWidget>(this, "Panel1");
    Paint(Panel1, kButtonBarColour);
    struct Big {
        QToolButton** button;
        const char* name;
        const char* text;
        ButtonPicture picture;
        void (TForm1::*click)();
    };
    const Big bigButtons[] = {
        {&ChooseButton, "ChooseButton", "Choose files", ButtonPicture::ChooseFiles, &TForm1::ChooseButtonClick},
        {&ConfigButton, "ConfigButton", "Configure", ButtonPicture::Configure, &TForm1::ConfigButtonClick},
        {&OptiButton, "OptiButton", "Optimize", ButtonPicture::Optimize, &TForm1::OptiButtonClick},
        {&ExitButton, "ExitButton", "Exit", ButtonPicture::Exit, &TForm1::ExitButtonClick},
    };
    int top = 0;
    for (const Big& big : bigButtons) {
        QToolButton* button = Make<QToolButton>(Panel1, big.name);
        button->setText(QString::fromLatin1(big.text));
        button->setIcon(QIcon(DrawButtonPicture(big.picture)));
        button->setIconSize(QSize(64, 64));
        button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
        button->setAutoRaise(true);
        button->setGeometry(0, top, 105, 97);
        connect(button, &QToolButton::clicked, this, big.click);
        *big.button = button;
        top += 96;
    }
    SpeedButton1 = Make<QToolButton>(Panel1, "SpeedButton1");
    SpeedButton1->setText(QStringLiteral("About"));
    SpeedButton1->setAutoRaise(true);
    SpeedButton1->setGeometry(0, 400, 52, 25);
    connect(SpeedButton1, &QToolButton::clicked, this, &TForm1::SpeedButton1Click);
    SpeedButton2 = Make<QToolButton>(Panel1, "SpeedButton2");
    SpeedButton2->setText(QStringLiteral("Help"));
    SpeedButton2->setAutoRaise(true);
    SpeedButton2->setGeometry(52, 400, 53, 25);
    connect(SpeedButton2, &QToolButton::clicked, this, &TForm1::SpeedButton2Click);
}

void TForm1::CreateChooseFilesPage()
{
    QWidget* page = Make<QWidget>(Notebook1, "ChooseFilesPage");
    Notebook1->addWidget(page);
    Label8 = MakeLabel(page, "Label8", QStringLiteral("Select output directory"), 16, 16);
    OutputDir = Make<QLineEdit>(page, "OutputDir");
    OutputDir->setGeometry(16, 40, 401, 24);
    BrowseButton2 =
        MakeButton(page, "BrowseButton2", QStringLiteral("Browse"), 424, 40, this, &TForm1::BrowseButton2Click);
    Label1 = MakeLabel(page, "Label1", QStringLiteral("Select files you want to opimize."), 16, 88);
    BrowseButton =
        MakeButton(page, "BrowseButton", QStringLiteral("Browse"), 424, 88, this, &TForm1::BrowseButtonClick);

    ListBox1 = Make<TFileListBox>(page, "ListBox1");
    ListBox1->setGeometry(16, 112, 497, 273);
    ListBox1->setSelectionMode(QAbstractItemView::ExtendedSelection);
    ListBox1->setUniformItemSizes(true);
    ListBox1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    ListBox1->setItemDelegate(new TOwnerDrawDelegate(
        20, [this](QPainter* p, const QStyleOptionViewItem& o, const QModelIndex& i) { ListBox1DrawItem(p, o, i); },
        ListBox1));
    connect(ListBox1, &TFileListBox::PathsDropped, this, &TForm1::AddFiles);
    connect(ListBox1, &TFileListBox::DeletePressed, this, &TForm1::REmovefromlist1Click);

    PopupMenu1 = new QMenu(ListBox1);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    REmovefromlist1 = PopupMenu1->addAction(QStringLiteral("Remove from list"));
    REmovefromlist1->setObjectName(QStringLiteral("REmovefromlist1"));
    connect(REmovefromlist1, &QAction::triggered, this, &TForm1::REmovefromlist1Click);
    ListBox1->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(ListBox1, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& pos) { PopupMenu1->exec(ListBox1->viewport()->mapToGlobal(pos)); });
}

void TForm1::CreateConfigurePage()
{
    QWidget* page = Make<QWidget>(Notebook1, "ConfigurePage");
    Notebook1->addWidget(page);
    struct Group {
        QGroupBox** box;
        const char* boxName;
        const char* caption;
        int left, top;
        Selector selector;
        QComboBox** combo;
        const char* comboName;
        QLabel** notice;
        const char* noticeName;
    };
    const Group groups[] = {
        {&GroupBox1, "GroupBox1", "PNG Optimization", 8, 16, Selector::PNG, &PNGCombo, "PNGCombo", &PNGDisabledLabel,
         "PNGDisabledLabel"},
        {&GroupBox6, "GroupBox6", "JS Optimization", 264, 16, Selector::JS, &JSCombo, "JSCombo", &JsDisabledLabel,
         "JsDisabledLabel"},
        {&GroupBox3, "GroupBox3", "JPEG Optimization", 10, 144, Selector::JPEG, &JPEgCombo, "JPEgCombo",
         &JPEGDisabledLabel, "JPEGDisabledLabel"},
        {&GroupBox4, "GroupBox4", "HTML Optimization", 264, 144, Selector::HTML, &HTMLCombo, "HTMLCombo", nullptr,
         nullptr},
        {&GroupBox2, "GroupBox2", "GIF Optimization", 8, 272, Selector::GIF, &GIFCombo, "GIFCombo", nullptr, nullptr},
        {&GroupBox5, "GroupBox5", "CSS Optimization", 264, 272, Selector::CSS, &CSSCombo, "CSSCombo", nullptr, nullptr},
    };
    for (const Group& group : groups) {
        QGroupBox* box = Make<QGroupBox>(page, group.boxName);
        box->setTitle(QString::fromLatin1(group.caption));
        box->setGeometry(group.left, group.top, 253, 113);
        MakeLabel(box, "", QStringLiteral("Level"), 8, 34);
        QComboBox* combo = Make<QComboBox>(box, group.comboName);
        combo->setEditable(false);
        for (const std::string& entry : SelectorEntries(group.selector)) combo->addItem(Q(entry));
        combo->setCurrentIndex(static_cast<int>(DefaultEntryIndex(group.selector)));
        combo->setGeometry(48, 32, 201, 24);
        *group.box = box;
        *group.combo = combo;
        if (group.notice != nullptr) {
            QLabel* notice = Make<QLabel>(box, group.noticeName);
            notice->setFont(TahomaFont(11));
            notice->setText(QString::fromLatin1(kPluginNotice));
            notice->setGeometry(16, 64, 223, 39);
            notice->setAlignment(Qt::AlignLeft | Qt::AlignTop);
            notice->hide();
            *group.notice = notice;
        }
    }
}

void TForm1::CreateOptimizePage()
{
    QWidget* page = Make<QWidget>(Notebook1, "OptimizePage");
    Notebook1->addWidget(page);
    Label9 = MakeLabel(page, "Label9", QStringLiteral("Optimization results"), 16, 16);
    SaveButton = MakeButton(page, "SaveButton", QStringLiteral("Save"), 424, 16, this, &TForm1::SaveButtonClick);

    ResultGrid = Make<QTableWidget>(page, "ResultGrid");
    ResultGrid->setGeometry(16, 40, 497, 313);
    ResultGrid->setColumnCount(kGridColumns);
    ResultGrid->setRowCount(kGridInitialRows - 1);
    for (int column = 0; column < kGridColumns; ++column)
        ResultGrid->setHorizontalHeaderItem(column, new QTableWidgetItem());
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
    header->setStyleSheet(QStringLiteral("QHeaderView::section { background-color: %1; border: none;"
                                         " border-bottom: 1px solid %2; padding: 2px 0px 0px 2px; }")
                              .arg(kHeaderColour.name(), kGridLineColour.name()));
    ResultGrid->setShowGrid(false);
    ResultGrid->setSelectionBehavior(QAbstractItemView::SelectRows);
    ResultGrid->setSelectionMode(QAbstractItemView::SingleSelection);
    ResultGrid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ResultGrid->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    ResultGrid->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    ResultGrid->setWordWrap(false);
    ResultGrid->setItemDelegate(new TOwnerDrawDelegate(
        24, [this](QPainter* p, const QStyleOptionViewItem& o, const QModelIndex& i) { ResultGridDrawCell(p, o, i); },
        ResultGrid));

    ProgressBar1 = Make<QProgressBar>(page, "ProgressBar1");
    ProgressBar1->setGeometry(16, 360, 497, 25);
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setValue(0);
    ProgressBar1->setTextVisible(false);
}

void TForm1::CreateAboutPage()
{
    QWidget* page = Make<QWidget>(Notebook1, "AboutPage");
    Notebook1->addWidget(page);
    Label10 = MakeLabel(page, "Label10", QString::fromLatin1(kApplicationTitle) + QStringLiteral(" v.0.1"), 136, 24);
    Label10->setFont(TahomaFont(16, true));
    Label10->adjustSize();
    Label11 = MakeLabel(page, "Label11",
                        QStringLiteral("Quorvan Web Optimizer is free to use for your web sites.\n"
                                       "It comes with no warranty of any kind.\n"
                                       "\n"
                                       "Source files are never changed: the optimized files\n"
                                       "are written under their own names into the output\n"
                                       "directory, replacing files of the same name there."),
                        96, 64);
    Label12 = MakeLabel(page, "Label12", QStringLiteral("Website:\nE-mail:"), 136, 200);
    Label13 = MakeLabel(page, "Label13", QString::fromLatin1(kWebsite), 192, 200);
    Label14 = MakeLabel(page, "Label14", QString::fromLatin1(kEmail), 232, 216);
    for (QLabel* link : {Label13, Label14}) {
        link->setCursor(Qt::PointingHandCursor);
        link->setMouseTracking(true);
        link->installEventFilter(this);
        SetTextColour(link, Qt::black);
    }
}

void TForm1::CreateDialogs()
{
    OpenDialog1 = new QFileDialog(this);
    OpenDialog1->setObjectName(QStringLiteral("OpenDialog1"));
    OpenDialog1->setFileMode(QFileDialog::ExistingFiles);
    OpenDialog1->setNameFilter(QStringLiteral("Web files (*.css *.js *.htm *.html *.gif *.jpg *.jpeg *.jpe *.png)"));
    OpenDialog1->setSizeGripEnabled(true);

    SaveDialog1 = new QFileDialog(this);
    SaveDialog1->setObjectName(QStringLiteral("SaveDialog1"));
    SaveDialog1->setAcceptMode(QFileDialog::AcceptSave);
    SaveDialog1->setFileMode(QFileDialog::AnyFile);
    SaveDialog1->setNameFilter(QStringLiteral("HTML (*.htm *.html)"));
    SaveDialog1->setOption(QFileDialog::DontConfirmOverwrite);
}

void TForm1::FormCreate()
{
    iconCache_ = std::make_unique<TIconCache>();
    for (int column = 0; column < kGridColumns; ++column) SetCell(column, 0, GridHeaderTexts()[column]);

    environment_.pluginDir = programDir_ + "plugins/";
    for (const TPluginFile& plugin : PluginFiles()) {
        if (PluginPresent(environment_.pluginDir, plugin.name)) continue;
        Combo(plugin.selector)->setEnabled(false);
        QLabel* notice = plugin.selector == Selector::JPEG  ? JPEGDisabledLabel
                         : plugin.selector == Selector::PNG ? PNGDisabledLabel
                                                            : JsDisabledLabel;
        notice->show();
    }

    environment_.hooks =
        ToolRunnerHooks{[] { QCoreApplication::processEvents(); },
                        [this](const std::string& message) {
                            QMessageBox box(QMessageBox::NoIcon, QString::fromLatin1(kApplicationTitle), Q(message),
                                            QMessageBox::Ok, this);
                            box.exec();
                        }};
}

void TForm1::FormClose()
{
    if (iconCache_) iconCache_->Release();
}

// Layout of pages 0 and 2 for the current size of the notebook.
void TForm1::FormResize()
{
    const int w = Notebook1->width();
    const int h = Notebook1->height();
    ListBox1->resize(w - 32, h - ListBox1->y() - 16);
    const int browseLeft = ListBox1->width() + 16 - BrowseButton->width();
    BrowseButton->move(browseLeft, BrowseButton->y());
    BrowseButton2->move(browseLeft, BrowseButton2->y());
    SaveButton->move(browseLeft, SaveButton->y());
    OutputDir->resize(BrowseButton->x() - OutputDir->x() - 8, OutputDir->height());
    ResultGrid->resize(w - 32, h - 32 - ResultGrid->y() - ProgressBar1->height());
    ProgressBar1->setGeometry(ProgressBar1->x(), h - 16 - ProgressBar1->height(), ResultGrid->width(),
                              ProgressBar1->height());

    const int gridWidth = ResultGrid->width();
    ResultGrid->setColumnWidth(0, 30);
    ResultGrid->setColumnWidth(1, gridWidth - (ResultGrid->verticalScrollBar()->isVisible() ? 310 : 290));
    ResultGrid->setColumnWidth(2, 100);
    ResultGrid->setColumnWidth(3, 100);
    ResultGrid->setColumnWidth(4, 60);
}

void TForm1::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    Panel1->setGeometry(0, 0, 105, height());
    RightPanel->setGeometry(105, 0, width() - 105, height());
    CaptionPanel->setGeometry(0, 0, RightPanel->width(), 25);
    Notebook1->setGeometry(0, 25, RightPanel->width(), RightPanel->height() - 25);
    FormResize();
}

void TForm1::closeEvent(QCloseEvent* event)
{
    if (running_) {
        // The run ends after the current file; the window closes then.
        stopRequested_ = true;
        closeAfterRun_ = true;
        event->ignore();
        return;
    }
    FormClose();
    event->accept();
}

QString TForm1::PageName(int page)
{
    return page >= 0 && page < 4 ? QString::fromLatin1(kPageNames[page]) : QString();
}

void TForm1::ShowPage(int page)
{
    Notebook1->setCurrentIndex(page);
    CaptionPanel->setText(PageName(Notebook1->currentIndex()));
}

void TForm1::ChooseButtonClick()
{
    ShowPage(0);
}
void TForm1::ConfigButtonClick()
{
    ShowPage(1);
}
void TForm1::SpeedButton1Click()
{
    ShowPage(3);
}
void TForm1::ExitButtonClick()
{
    close();
}

void TForm1::OptiButtonClick()
{
    if (running_) return;
    ShowPage(2);
    ResetResultGrid(*this);
    SetRunning(true);
    try {
        StartCompression(*this);
    } catch (const std::exception& error) {
        QMessageBox::critical(this, QString::fromLatin1(kApplicationTitle), QString::fromLocal8Bit(error.what()));
    }
    SetRunning(false);
    if (closeAfterRun_) close();
}

void TForm1::SetRunning(bool running)
{
    running_ = running;
    for (QWidget* control : std::initializer_list<QWidget*>{OptiButton, BrowseButton, BrowseButton2, OutputDir})
        control->setEnabled(!running);
    REmovefromlist1->setEnabled(!running);
    ListBox1->setAcceptDrops(!running);
}

void TForm1::SpeedButton2Click()
{
    const QString help = Q(programDir_) + QStringLiteral("help.html");
    if (!QFileInfo(help).isFile()) {
        QMessageBox::warning(this, QStringLiteral("Warning"), QStringLiteral("File \"help.html\" was not found."));
        return;
    }
    QDesktopServices::openUrl(QUrl::fromLocalFile(help));
}

void TForm1::BrowseButtonClick()
{
    if (running_) return;
    if (OpenDialog1->exec() != QDialog::Accepted) return;
    for (const QString& file : OpenDialog1->selectedFiles()) ListBox1->addItem(QDir::toNativeSeparators(file));
}

void TForm1::AddFiles(const QStringList& paths)
{
    if (running_) return;
    for (const QString& path : paths) {
        if (QFileInfo(path).isDir()) {
            try {
                for (const std::string& file : CollectWebFiles(path.toStdString())) ListBox1->addItem(Q(file));
            } catch (const std::exception& error) {
                QMessageBox::critical(this, QString::fromLatin1(kApplicationTitle), Q(error.what()));
            }
        } else {
            ListBox1->addItem(path);
        }
    }
}

void TForm1::BrowseButton2Click()
{
    if (running_) return;
    QFileDialog dialog(this, QStringLiteral("Select a directory"), QStringLiteral("/"));
    dialog.setObjectName(QStringLiteral("DirectoryDialog"));
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly);
    dialog.setOption(QFileDialog::ReadOnly);  // no button to make a new folder
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
    OutputDir->setText(dialog.selectedFiles().first() + QStringLiteral("/"));
}

void TForm1::REmovefromlist1Click()
{
    if (running_ || ListBox1->currentItem() == nullptr) return;
    std::vector<int> rows;
    for (const QListWidgetItem* item : ListBox1->selectedItems()) rows.push_back(ListBox1->row(item));
    std::sort(rows.rbegin(), rows.rend());
    for (int row : rows) delete ListBox1->takeItem(row);
}

void TForm1::SaveButtonClick()
{
    if (SaveDialog1->exec() != QDialog::Accepted || SaveDialog1->selectedFiles().isEmpty()) return;
    try {
        WriteReport(*this, SaveDialog1->selectedFiles().first().toStdString());
    } catch (const std::exception& error) {
        QMessageBox::critical(this, QString::fromLatin1(kApplicationTitle), QString::fromLocal8Bit(error.what()));
    }
}

void TForm1::Label13Click(QLabel* label)
{
    QString target = label->text();
    const QUrl url =
        target.contains(QLatin1Char('@')) ? QUrl(QStringLiteral("mailto:") + target) : QUrl::fromUserInput(target);
    QDesktopServices::openUrl(url);
}

void TForm1::Label13MouseMove(QLabel* label)
{
    SetTextColour(label, QColor(0x00, 0x00, 0xFF));
}
void TForm1::Label13MouseLeave(QLabel* label)
{
    SetTextColour(label, Qt::black);
}

bool TForm1::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == Label13 || watched == Label14) {
        QLabel* label = static_cast<QLabel*>(watched);
        switch (event->type()) {
        case QEvent::MouseMove:
        case QEvent::Enter: Label13MouseMove(label); break;
        case QEvent::Leave: Label13MouseLeave(label); break;
        case QEvent::MouseButtonRelease:
            if (static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton &&
                label->rect().contains(static_cast<QMouseEvent*>(event)->position().toPoint()))
                Label13Click(label);
            break;
        default: break;
        }
    }
    return QWidget::eventFilter(watched, event);
}

int TForm1::GetIconIndex(const std::string& path)
{
    return iconCache_->GetIconIndex(path);
}
int TForm1::GetSystemIcon(const std::string& path)
{
    return iconCache_->GetSystemIcon(path);
}

void TForm1::ListBox1DrawItem(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index)
{
    const QRect rect = option.rect;
    const bool selected = option.state & QStyle::State_Selected;
    const QPalette& palette = option.palette;
    painter->fillRect(rect, palette.color(selected ? QPalette::Highlight : QPalette::Base));
    painter->setPen(palette.color(selected ? QPalette::HighlightedText : QPalette::Text));

    const QString path = index.data().toString();
    const int icon = GetIconIndex(path.toStdString());
    if (icon >= 0) painter->drawPixmap(rect.left() + 5, rect.top(), iconCache_->Icon(icon));
    const QString text = Q(ShortenedPath(path, painter->fontMetrics(), ListBox1->width() - 50));
    painter->drawText(QRect(rect.left() + 30, rect.top(), rect.width() - 30, rect.height()),
                      Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, text);

    if (option.state & QStyle::State_HasFocus) {
        QStyleOptionFocusRect focus;
        focus.rect = rect;
        focus.state = option.state | QStyle::State_KeyboardFocusChange;
        focus.backgroundColor = palette.color(selected ? QPalette::Highlight : QPalette::Base);
        ListBox1->style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, painter, ListBox1);
    }
}

void TForm1::ResultGridDrawCell(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index)
{
    // The grid's own painting: background, the text at left + 2, top + 2.
    const QRect rect = option.rect.adjusted(0, 0, 0, -1);
    const bool selected = option.state & QStyle::State_Selected;
    const QPalette& palette = option.palette;
    const QColor background = palette.color(selected ? QPalette::Highlight : QPalette::Base);
    painter->fillRect(rect, background);
    painter->setPen(palette.color(selected ? QPalette::HighlightedText : QPalette::Text));
    painter->drawText(rect.adjusted(2, 2, 0, 0), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
                      index.data().toString());

    const int column = index.column();
    const int row = index.row() + 1;
    if (column == 0) {
        const int icon = GetIconIndex(Cell(1, row));
        if (icon >= 0) painter->drawPixmap(rect.left() + 5, rect.top(), iconCache_->Icon(icon));
    } else if (column == 1) {
        painter->fillRect(rect, background);
        const QString path = index.data().toString();
        const QString text = Q(ShortenedPath(path, painter->fontMetrics(), ResultGrid->columnWidth(1) - 15));
        painter->drawText(rect.adjusted(0, 3, 0, 0), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, text);
    }

    painter->setPen(kGridLineColour);
    painter->drawLine(option.rect.bottomLeft(), option.rect.bottomRight());
}

QComboBox* TForm1::Combo(Selector selector) const
{
    switch (selector) {
    case Selector::CSS: return CSSCombo;
    case Selector::GIF: return GIFCombo;
    case Selector::HTML: return HTMLCombo;
    case Selector::JS: return JSCombo;
    case Selector::PNG: return PNGCombo;
    case Selector::JPEG: return JPEgCombo;
    }
    return CSSCombo;
}

int TForm1::FileCount() const
{
    return ListBox1->count();
}

std::string TForm1::FileAt(int index) const
{
    const QListWidgetItem* item = ListBox1->item(index);
    if (item == nullptr) throw std::out_of_range("No file at index " + std::to_string(index));
    return item->text().toStdString();
}

std::string TForm1::OutputDirText() const
{
    return OutputDir->text().toStdString();
}
std::string TForm1::SelectorText(Selector selector) const
{
    return Combo(selector)->currentText().toStdString();
}
std::string TForm1::ThousandsSeparator() const
{
    return QLocale().groupSeparator().toStdString();
}
std::string TForm1::DecimalSeparator() const
{
    return QLocale().decimalPoint().toStdString();
}

void TForm1::SetRowCount(int rows)
{
    ResultGrid->setRowCount(std::max(rows - 1, 0));
}

void TForm1::SetCell(int column, int row, const std::string& text)
{
    if (column < 0 || column >= kGridColumns || row < 0 || row >= RowCount())
        throw std::out_of_range("No grid cell " + std::to_string(column) + "," + std::to_string(row));
    if (row == 0) {
        ResultGrid->horizontalHeaderItem(column)->setText(Q(text));
        return;
    }
    QTableWidgetItem* item = ResultGrid->item(row - 1, column);
    if (item == nullptr)
        ResultGrid->setItem(row - 1, column, new QTableWidgetItem(Q(text)));
    else
        item->setText(Q(text));
}

// Qt shows an empty range (0 to 0) as a busy indicator: a one-file run uses
// one step instead and shows the bar full once its file is done.
void TForm1::SetProgressMax(int maximum)
{
    progressMax_ = maximum;
    ProgressBar1->setRange(0, std::max(maximum, 1));
    ProgressBar1->setValue(0);
}

void TForm1::SetProgress(int position)
{
    ProgressBar1->setValue(progressMax_ <= 0 ? 1 : position);
}

void TForm1::RepaintAndProcessMessages()
{
    ResultGrid->viewport()->repaint();
    QCoreApplication::processEvents();
}

void TForm1::ChooseFiles()
{
    ChooseButtonClick();
}

int TForm1::RowCount() const
{
    return ResultGrid->rowCount() + 1;
}
int TForm1::ColumnCount() const
{
    return kGridColumns;
}

std::string TForm1::Cell(int column, int row) const
{
    if (column < 0 || column >= kGridColumns || row < 0 || row >= RowCount()) return {};
    const QTableWidgetItem* item =
        row == 0 ? ResultGrid->horizontalHeaderItem(column) : ResultGrid->item(row - 1, column);
    return item == nullptr ? std::string() : item->text().toStdString();
}
