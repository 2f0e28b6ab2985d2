#pragma once
// Ends the command line cleanly on SIGINT, SIGTERM and SIGHUP: the running
// plug-ins are killed and the run's temporary files removed before the
// program ends by the signal it got.

#include <atomic>
#include <memory>

class TRunControl;

// Blocks the three signals in the calling thread (and so in every thread it
// starts afterwards: construct it first) and waits for them on a thread of
// its own, which lives until the program ends. Once a signal has arrived,
// the destructor never returns: the program ends by that signal, not by the
// run's own ending (whose plug-ins the cleanup has just killed).
class TSignalCleanup {
public:
    explicit TSignalCleanup(std::shared_ptr<TRunControl> control);
    ~TSignalCleanup();
    TSignalCleanup(const TSignalCleanup&) = delete;
    TSignalCleanup& operator=(const TSignalCleanup&) = delete;

private:
    std::shared_ptr<std::atomic<bool>> received_ = std::make_shared<std::atomic<bool>>(false);
};
