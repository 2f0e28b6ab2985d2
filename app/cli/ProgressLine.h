#pragma once
// One updating line on a terminal while the run works: files done of all,
// bytes in and out so far, time elapsed and left, the files under way.
//
// It keeps its own copy of what it shows (the count of files and the names of
// those under way), so it never reads the run's job list. Called on the
// run's driving thread only: the events redraw it at most every 250 ms, and
// Tick (from the run's waits) lets the clock move while plug-ins work.

#include <chrono>
#include <cstddef>
#include <functional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "app/core/Run.h"

class TProgressLine : public TRunObserver {
public:
    // Draws on `terminal` (carriage return, no new line) within the columns
    // that `width` tells at each drawing (less one, so the cursor never wraps).
    TProgressLine(std::ostream& terminal, std::function<std::size_t()> width);

    void Planned(const std::vector<TJob>& jobs) override;
    void Started(const TJob& job) override;
    void Finished(const TJob& job, const TFileOutcome& outcome) override;

    // Redraws when the last drawing is old enough.
    void Tick();
    // Blanks the line (before other text goes to the terminal, and at the end);
    // the next event or tick draws it again.
    void Clear();

private:
    // The line as it would be drawn now, within `columns`.
    std::string Text(std::size_t columns) const;

    void Draw(bool now);

    std::ostream& terminal_;
    std::function<std::size_t()> width_;
    std::size_t total_ = 0;
    std::vector<std::pair<std::string, std::string>> running_;  // destination, file name shown
    std::size_t done_ = 0;
    long long bytesIn_ = 0;
    long long bytesOut_ = 0;
    std::chrono::steady_clock::time_point begin_;
    std::chrono::steady_clock::time_point drawn_;
    bool planned_ = false;
    bool shown_ = false;
};

// The width of the terminal on this descriptor; 80 when it tells none.
std::size_t TerminalWidth(int descriptor);
