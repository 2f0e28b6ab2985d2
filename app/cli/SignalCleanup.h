#pragma once
// Ends the command line cleanly on SIGINT, SIGTERM and SIGHUP: the running
// plug-ins are killed and the run's temporary files removed before the
// program ends by the signal it got.

#include <memory>

class TRunControl;

// Blocks the three signals in the calling thread (and so in every thread it
// starts afterwards: construct it first) and waits for them on a thread of
// its own, which lives until the program ends.
class TSignalCleanup {
public:
    explicit TSignalCleanup(std::shared_ptr<TRunControl> control);
    TSignalCleanup(const TSignalCleanup&) = delete;
    TSignalCleanup& operator=(const TSignalCleanup&) = delete;
};
