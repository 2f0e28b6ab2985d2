#include "app/Unit1.h"

#include <sys/stat.h>

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QStackedWidget>
#include <QTableView>
#include <QThread>
#include <QToolButton>
#include <QUrl>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <exception>
#include <filesystem>

#include "app/FileDialog.h"
#include "app/FileListBox.h"
#include "app/IconCache.h"
#include "app/NativePaths.h"
#include "app/OwnerDrawDelegate.h"
#include "app/ResultGridModel.h"
#include "app/RunMessages.h"
#include "app/Widgets.h"
#include "app/WindowRunHost.h"
#include "app/core/CreateOutputFolder.h"
#include "app/core/PathShortening.h"
#include "app/core/PluginCheck.h"
#include "app/core/Report.h"
#include "app/core/Run.h"
#include "app/core/RunPlan.h"
#include "app/core/SiteFiles.h"
#include "compressors/base/PluginDir.h"

namespace {

QString ShortenedPath(const QString& path, const QFontMetrics& metrics, int maxWidth)
{
    return QString::fromStdString(ShortenPath(path.toStdString(), maxWidth, [&metrics](const std::string& text) {
        return metrics.horizontalAdvance(QString::fromStdString(text));
    }));
}

// A path of the command line made absolute against the current folder, its
// "." parts dropped (".." is kept: through a link it leads elsewhere than the
// text says).
std::string ArgumentPath(const QString& argument)
{
    std::filesystem::path listed;
    for (const std::filesystem::path& part : std::filesystem::absolute(NativePath(argument)))
        if (part != ".") listed /= part;
    return listed.string();
}

}  // namespace

TForm1::TForm1(const std::string& programDir, QWidget* parent)
    : QWidget(parent), programDir_(programDir.empty() ? SupportDir() : programDir), results_(new TResultGridModel(this))
{
    if (programDir_.back() != '/') programDir_ += '/';
    SetupControls(this, results_);
    ConnectControls();
    ShowPage(0);
    FormCreate();
}

TForm1::~TForm1()
{
    // Running plug-ins are killed; the run waits for its workers.
    if (run_) runHost_->Environment().control->Cancel();
    run_.reset();
}

void TForm1::ConnectControls()
{
    connect(ChooseButton, &QToolButton::clicked, this, &TForm1::ChooseButtonClick);
    connect(ConfigButton, &QToolButton::clicked, this, &TForm1::ConfigButtonClick);
    connect(OptiButton, &QToolButton::clicked, this, &TForm1::OptiButtonClick);
    connect(ExitButton, &QToolButton::clicked, this, &TForm1::ExitButtonClick);
    connect(SpeedButton1, &QToolButton::clicked, this, &TForm1::SpeedButton1Click);
    connect(SpeedButton2, &QToolButton::clicked, this, &TForm1::SpeedButton2Click);
    connect(BrowseButton2, &QPushButton::clicked, this, &TForm1::BrowseButton2Click);
    connect(BrowseButton, &QPushButton::clicked, this, &TForm1::BrowseButtonClick);
    connect(SaveButton, &QPushButton::clicked, this, &TForm1::SaveButtonClick);

    ListBox1->setItemDelegate(new TOwnerDrawDelegate(
        20, [this](QPainter* p, const QStyleOptionViewItem& o, const QModelIndex& i) { ListBox1DrawItem(p, o, i); },
        ListBox1));
    connect(ListBox1, &TFileListBox::PathsDropped, this, [this](const QList<QByteArray>& paths) {
        std::vector<std::string> native;
        for (const QByteArray& path : paths) native.push_back(path.toStdString());
        AddNativeFiles(native);
    });
    connect(ListBox1, &TFileListBox::DeletePressed, this, &TForm1::REmovefromlist1Click);
    connect(REmovefromlist1, &QAction::triggered, this, &TForm1::REmovefromlist1Click);
    connect(ListBox1, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& pos) { PopupMenu1->exec(ListBox1->viewport()->mapToGlobal(pos)); });

    ResultGrid->setItemDelegate(new TOwnerDrawDelegate(
        24, [this](QPainter* p, const QStyleOptionViewItem& o, const QModelIndex& i) { ResultGridDrawCell(p, o, i); },
        ResultGrid));
    // Label13MouseMove, Label13MouseLeave and Label13Click through eventFilter.
    for (QLabel* link : {Label13, Label14}) link->installEventFilter(this);
}

void TForm1::FormCreate()
{
    iconCache_ = std::make_unique<TIconCache>();

    TRunEnvironment environment;
    environment.pluginDir = programDir_ + "plugins/";
    environment.control = std::make_shared<TRunControl>();
    // A missing plug-in's files are copied: its selector shows level 0.
    for (const TPluginFile& plugin : PluginFiles()) {
        if (PluginPresent(environment.pluginDir, plugin.name)) continue;
        QComboBox* combo = Combo(plugin.kind);
        if (!combo) continue;
        combo->setCurrentIndex(0);
        combo->setEnabled(false);
        if (QLabel* notice = DisabledNotice(plugin.kind)) notice->show();
    }
    // No message pump: plug-ins run on worker threads, never inside an event handler.
    environment.hooks = ToolRunnerHooks{{}, [this](const std::string& message) {
                                            QMessageBox box(QMessageBox::NoIcon, ApplicationTitle(),
                                                            QString::fromStdString(message), QMessageBox::Ok, this);
                                            box.exec();
                                        }};
    runHost_ = std::make_unique<TWindowRunHost>(*this, *results_, std::move(environment));
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
        // The running plug-ins are killed, no file is started any more; the
        // window closes once the run has ended.
        runHost_->RequestStop();
        runHost_->Environment().control->Cancel();
        closeAfterRun_ = true;
        event->ignore();
        PostRunStep();
        return;
    }
    FormClose();
    event->accept();
}

const TResultGrid& TForm1::Results() const
{
    return results_->Grid();
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
    TRunRequest request = runHost_->Request();
    const int workers = RunWorkers(request);
    if (workers == 0) return;
    if (request.entries.empty()) {  // nothing to run: the files are chosen first
        ShowPage(2);
        ResetResultGrid(*runHost_);
        ChooseButtonClick();
        return;
    }
    // Made before the first file, so that no file fails for want of it.
    try {
        CreateOutputFolder(request.outputDirText);
    } catch (const std::exception& error) {
        QMessageBox::critical(this, ApplicationTitle(), QString::fromLocal8Bit(error.what()));
        return;
    }
    ShowPage(2);
    ResetResultGrid(*runHost_);
    SetRunning(true);
    try {
        TRunOptions options;
        options.workers = workers;
        options.keepGoing = true;
        options.extras.copyFailed = true;  // the output folder stays a whole site
        run_ = std::make_unique<TCompressionRun>(request, *runHost_, options, [this] { PostRunStep(); });
    } catch (const std::exception& error) {
        SetRunning(false);
        QMessageBox::critical(this, ApplicationTitle(), QString::fromLocal8Bit(error.what()));
        return;
    }
    StepRun();
}

// The files the next run may optimize at once: one per core (files with one
// destination never run at once: the later one wins); none when the user
// declines a run where files would overwrite each other.
int TForm1::RunWorkers(TRunRequest& request)
{
    const std::vector<TDestinationClash> clashes = PlanRequest(request);
    const int cores = std::max(QThread::idealThreadCount(), 1);
    if (clashes.empty()) return cores;
    const auto answer = QMessageBox::question(this, ApplicationTitle(), ClashQuestion(clashes),
                                              QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
    return answer == QMessageBox::Yes ? cores : 0;
}

// Called on a worker thread: one queued step at a time is enough.
void TForm1::PostRunStep()
{
    if (!stepPosted_.exchange(true))
        QMetaObject::invokeMethod(
            this,
            [this] {
                stepPosted_ = false;
                StepRun();
            },
            Qt::QueuedConnection);
}

void TForm1::StepRun()
{
    if (!run_) return;
    if (stepping_) {  // a message box of this step runs events
        stepAgain_ = true;
        return;
    }
    stepping_ = true;
    bool going = true;
    QString fault;
    try {
        do {
            stepAgain_ = false;
            going = run_->Step();
        } while (going && stepAgain_);
    } catch (const std::exception& error) {
        fault = QString::fromLocal8Bit(error.what());
        going = false;
    }
    stepping_ = false;
    if (!going) EndRun(fault);
}

// A fault of the window's own side ends the run: the files under way are cancelled.
void TForm1::EndRun(QString error)
{
    std::vector<TFileFailure> failures;
    try {
        if (error.isEmpty())
            failures = run_->Finish();
        else
            runHost_->Environment().control->Cancel();
    } catch (const RunCancelled&) {
        // The window is closing.
    } catch (const std::exception& fault) {
        error = QString::fromLocal8Bit(fault.what());
    }
    run_.reset();
    SetRunning(false);
    if (closeAfterRun_) {
        close();
        return;
    }
    if (!error.isEmpty()) QMessageBox::critical(this, ApplicationTitle(), error);
    if (!failures.empty()) QMessageBox::warning(this, ApplicationTitle(), FailureList(failures));
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
    const QString help = QString::fromStdString(programDir_) + QStringLiteral("help.html");
    if (!QFileInfo(help).isFile()) {
        QMessageBox::warning(this, tr("Warning"), tr("File \"help.html\" was not found."));
        return;
    }
    QDesktopServices::openUrl(QUrl::fromLocalFile(help));
}

void TForm1::BrowseButtonClick()
{
    if (running_) return;
    if (OpenDialog1->exec() != QDialog::Accepted) return;
    for (const QString& file : OpenDialog1->selectedFiles()) AddListPath(ListBox1, NativePath(file));
}

void TForm1::AddFiles(const QStringList& paths)
{
    std::vector<std::string> native;
    for (const QString& path : paths) native.push_back(NativePath(path));
    AddNativeFiles(native);
}

void TForm1::AddNativeFiles(const std::vector<std::string>& paths)
{
    AddPaths(paths, false);
}

void TForm1::AddPathArguments(const QStringList& arguments)
{
    std::vector<std::string> paths;
    for (const QString& argument : arguments) paths.push_back(ArgumentPath(argument));
    AddPaths(paths, true);
}

void TForm1::AddPaths(const std::vector<std::string>& paths, bool onlyExisting)
{
    if (running_) return;
    std::vector<TPathRefusal> refused;
    for (const std::string& path : paths) {
        struct stat info {};
        const bool found = ::stat(path.c_str(), &info) == 0;
        const int statError = found ? 0 : errno;
        if (found && S_ISDIR(info.st_mode)) {
            try {
                for (const TListEntry& entry : CollectSiteFiles(path))
                    AddListPath(ListBox1, entry.source, entry.relative);
            } catch (const std::exception& error) {
                refused.push_back({path, error.what()});
            }
        } else if (!onlyExisting || (found && S_ISREG(info.st_mode))) {
            AddListPath(ListBox1, path);
        } else {  // missing, or a pipe or a device that would block the run
            refused.push_back({path, found ? "Neither a file nor a folder." : std::strerror(statError)});
        }
    }
    if (!refused.empty()) QMessageBox::warning(this, ApplicationTitle(), RefusedPathList(refused));
}

void TForm1::BrowseButton2Click()
{
    if (running_) return;
    TFileDialog dialog(this, tr("Select a directory"), QStringLiteral("/"));
    dialog.setObjectName(QStringLiteral("DirectoryDialog"));
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly);
    dialog.setOption(QFileDialog::ReadOnly);  // no button to make a new folder
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
    SetOutputDirPath(*OutputDir, NativePath(dialog.selectedFiles().first()) + "/");
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
    const std::string path = NativePath(SaveDialog1->selectedFiles().first());
    // The report never replaces a file of the list or of the last run.
    std::vector<std::string> sources;
    for (int row = 0; row < ListBox1->count(); ++row) sources.push_back(ListPathAt(ListBox1, row));
    for (int row = 1; row < Results().RowCount(); ++row) sources.push_back(Results().Cell(1, row));
    const std::string refusal = ReportRefusal(path, sources);
    if (!refusal.empty()) {
        QMessageBox::critical(this, ApplicationTitle(), QString::fromLocal8Bit(refusal));
        return;
    }
    try {
        WriteReport(Results(), path);
    } catch (const std::exception& error) {
        QMessageBox::critical(this, ApplicationTitle(), QString::fromLocal8Bit(error.what()));
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
    SetTextColour(label, kLinkHoverColour);
}
void TForm1::Label13MouseLeave(QLabel* label)
{
    SetTextColour(label, kTextColour);
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
    const QString text = ShortenedPath(path, painter->fontMetrics(), ListBox1->width() - 50);
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
        const int icon = GetIconIndex(Results().Cell(1, row));
        if (icon >= 0) painter->drawPixmap(rect.left() + 5, rect.top(), iconCache_->Icon(icon));
    } else if (column == 1) {
        painter->fillRect(rect, background);
        const QString text =
            ShortenedPath(index.data().toString(), painter->fontMetrics(), ResultGrid->columnWidth(1) - 15);
        painter->drawText(rect.adjusted(0, 3, 0, 0), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, text);
    }

    painter->setPen(kGridLineColour);
    painter->drawLine(option.rect.bottomLeft(), option.rect.bottomRight());
}
