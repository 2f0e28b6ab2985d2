#pragma once
// The optimization run's view of the main window: it reads the file list, the
// output directory and the selectors, and writes the results grid and the
// progress bar, all at the moment the run asks.

#include <functional>

#include "app/core/RunHost.h"

class TResultGridModel;
class TWindowControls;

class TWindowRunHost : public TRunHost {
public:
    // The controls and the results belong to the window, which outlives this
    // host; chooseFiles performs the "Choose files" command.
    TWindowRunHost(const TWindowControls& controls, TResultGridModel& results, TRunEnvironment environment,
                   std::function<void()> chooseFiles);

    int FileCount() const override;
    std::string FileAt(int index) const override;
    // A file of a dropped folder keeps its path below that folder.
    std::string RelativeDestinationAt(int index) const override;
    std::string OutputDirText() const override;
    // Every selector's text read now, as the level it starts with.
    TLevels Levels() const override;
    const TRunEnvironment& Environment() const override { return environment_; }
    // The user's number separators.
    std::string ThousandsSeparator() const override;
    std::string DecimalSeparator() const override;
    void SetRowCount(int rows) override;
    void SetCell(int column, int row, const std::string& text) override;
    void SetProgressMax(int maximum) override;
    void SetProgress(int position) override;
    // Schedules a repaint of the grid: the window's run is stepped from its
    // event loop, so events need no pumping here.
    void RepaintAndProcessMessages() override;
    void ChooseFiles() override;
    bool StopRequested() const override { return stopRequested_; }

    // The window is closing: no file is started any more.
    void RequestStop() { stopRequested_ = true; }

private:
    const TWindowControls& controls_;
    TResultGridModel& results_;
    TRunEnvironment environment_;
    std::function<void()> chooseFiles_;
    int progressMax_ = 100;
    bool stopRequested_ = false;
};
