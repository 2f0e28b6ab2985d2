#pragma once
// A run host without a window: fixed levels, and an in-memory grid and
// progress. The command line runs on it; tests extend it.

#include <string>

#include "app/core/ResultGrid.h"
#include "app/core/RunHost.h"

class TBatchHost : public TRunHost {
public:
    TLevels levels;  // a kind without a level of its own: its row's default entry
    TResultGrid grid;
    int progress = 0;  // files done
    int total = 0;     // of the run's files

    TLevels Levels() const override;
    void SetRowCount(int rows) override;
    void SetCell(int column, int row, const std::string& text) override;
    void SetProgress(int done, int files) override;
};
