#pragma once
// One updating line on a terminal while the run works: files done of all,
// bytes in and out so far, time elapsed and left, the files under way.

#include <chrono>
#include <cstddef>
#include <ostream>
#include <set>
#include <string>

#include "app/core/Run.h"

class TProgressLine : public TRunObserver {
public:
    // Draws on `terminal` (carriage return, no new line), at most every 100 ms
    // and within `width` columns.
    TProgressLine(std::ostream& terminal, std::size_t width);

    void Planned(const std::vector<TJob>& jobs) override;
    void Started(const TJob& job) override;
    void Finished(const TJob& job, const TFileOutcome& outcome) override;

    // Blanks the line (before other text goes to the terminal, and at the end).
    void Clear();

private:
    void Draw(bool now);

    std::ostream& terminal_;
    std::size_t width_;
    const std::vector<TJob>* jobs_ = nullptr;
    std::set<std::size_t> running_;
    std::size_t started_ = 0;
    std::size_t done_ = 0;
    long long bytesIn_ = 0;
    long long bytesOut_ = 0;
    std::chrono::steady_clock::time_point begin_;
    std::chrono::steady_clock::time_point drawn_;
    bool shown_ = false;
};

// The width of the terminal on this descriptor; 80 when it tells none.
std::size_t TerminalWidth(int descriptor);
