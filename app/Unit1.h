#pragma once
// The main window: builds its controls (TWindowControls) and handles their
// events. A run reads and writes the window through its TWindowRunHost; the
// results grid shows a TResultGrid, and the report is written from it.

#include <QWidget>

#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "app/WindowControls.h"

class QModelIndex;
class QPainter;
class QStyleOptionViewItem;
class TCompressionRun;
class TIconCache;
class TResultGrid;
class TResultGridModel;
class TWindowRunHost;

class TForm1 : public QWidget, public TWindowControls {
    Q_OBJECT
public:
    // programDir holds plugins/ and help.html; by default SupportDir().
    explicit TForm1(const std::string& programDir = std::string(), QWidget* parent = nullptr);
    ~TForm1() override;

    // Commands.
    void ChooseButtonClick();
    void ConfigButtonClick();
    void OptiButtonClick();
    void SpeedButton1Click();
    void ExitButtonClick();
    void SpeedButton2Click();
    void BrowseButtonClick();
    void BrowseButton2Click();
    void REmovefromlist1Click();
    void SaveButtonClick();
    void Label13Click(QLabel* label);

    // Appends the files as they are; a folder is a site: every file below it
    // (CollectSiteFiles), each written at its path below that folder. One
    // message names the folders that cannot be read.
    // Paths are bytes as the system has them; shown paths are matched to them
    // (NativePath).
    void AddNativeFiles(const std::vector<std::string>& paths);
    void AddFiles(const QStringList& paths);
    // The paths of the program's command line, relative ones against the
    // current folder: as AddNativeFiles, but a path that does not exist or is
    // neither a file nor a folder is named in that message instead of listed.
    void AddPathArguments(const QStringList& arguments);

    // Icons for the list and the grid.
    int GetIconIndex(const std::string& path);
    int GetSystemIcon(const std::string& path);
    const TIconCache& IconList() const { return *iconCache_; }

    bool Running() const { return running_; }
    // What a run reads and writes: the inputs, the grid, the progress bar, the
    // plug-in folder and the tool runner's hooks.
    TWindowRunHost& RunHost() { return *runHost_; }
    const TWindowRunHost& RunHost() const { return *runHost_; }
    // What the results grid shows; row 0 is its header.
    const TResultGrid& Results() const;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void ConnectControls();
    void FormCreate();
    void FormResize();
    void FormClose();
    void ShowPage(int page);
    void SetRunning(bool running);
    void AddPaths(const std::vector<std::string>& paths, bool onlyExisting);
    // The Optimize command: asks before a run whose files would overwrite each
    // other, then starts the run on worker threads; the window's event loop
    // steps it (StepRun, posted by the workers) until it ends (EndRun).
    int RunWorkers(TRunRequest& request);
    void PostRunStep();
    void StepRun();
    void EndRun(QString error = {});
    void ListBox1DrawItem(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index);
    void ResultGridDrawCell(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index);
    void Label13MouseMove(QLabel* label);
    void Label13MouseLeave(QLabel* label);

    std::string programDir_;
    TResultGridModel* results_;  // child of this window
    std::unique_ptr<TIconCache> iconCache_;
    std::unique_ptr<TWindowRunHost> runHost_;
    std::unique_ptr<TCompressionRun> run_;  // the run under way
    std::atomic<bool> stepPosted_{false};   // a StepRun is queued
    bool stepping_ = false;                 // inside StepRun (a message box may run events)
    bool stepAgain_ = false;                // a StepRun came while stepping
    bool running_ = false;
    bool closeAfterRun_ = false;
};
