#pragma once
// A run host without a window: a fixed file list, output directory and
// levels, and an in-memory grid and progress bar. The command line
// runs on it; tests extend it.

#include <string>
#include <vector>

#include "app/core/ResultGrid.h"
#include "app/core/RunHost.h"

class TBatchHost : public TRunHost {
public:
    std::vector<std::string> files;
    std::vector<std::string> relatives;  // per file: its destination below the output folder; missing or empty: flat
    std::string outputDir;
    TLevels levels;  // a kind without a level of its own: its row's default entry
    TResultGrid grid;
    TRunEnvironment environment;  // DefaultRunEnvironment's values unless changed
    int progressMax = 100;
    int progress = 0;
    bool choseFiles = false;  // the run asked for the "Choose files" page

    int FileCount() const override;
    std::string FileAt(int index) const override;
    std::string RelativeDestinationAt(int index) const override;
    std::string OutputDirText() const override;
    TLevels Levels() const override;
    const TRunEnvironment& Environment() const override;
    void SetRowCount(int rows) override;
    void SetCell(int column, int row, const std::string& text) override;
    void SetProgressMax(int maximum) override;
    void SetProgress(int position) override;
    void RepaintAndProcessMessages() override;
    void ChooseFiles() override;
};
