#pragma once
// The optimization run's view of the main window: the request made from the
// file list, the output directory and the user's number separators; the
// selectors read as each file starts; the results grid and the progress bar
// written as the run asks.

#include "app/core/RunHost.h"

class TResultGridModel;
class TWindowControls;

class TWindowRunHost : public TRunHost {
public:
    // The controls and the results belong to the window, which outlives this host.
    TWindowRunHost(const TWindowControls& controls, TResultGridModel& results, TRunEnvironment environment);

    // The run the list and the output directory ask for now.
    TRunRequest Request() const;
    int FileCount() const;
    std::string FileAt(int index) const;
    // A file of a dropped folder keeps its path below that folder.
    std::string RelativeDestinationAt(int index) const;
    std::string OutputDirText() const;
    const TRunEnvironment& Environment() const { return environment_; }

    // Every selector's text read now, as the level it starts with.
    TLevels Levels() const override;
    void SetRowCount(int rows) override;
    void SetCell(int column, int row, const std::string& text) override;
    void SetProgress(int done, int total) override;
    bool StopRequested() const override { return stopRequested_; }

    // The window is closing: no file is started any more.
    void RequestStop() { stopRequested_ = true; }

private:
    const TWindowControls& controls_;
    TResultGridModel& results_;
    TRunEnvironment environment_;
    bool stopRequested_ = false;
};
