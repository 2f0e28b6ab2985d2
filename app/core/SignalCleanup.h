#pragma once
// Ends a front end cleanly on SIGINT, SIGTERM and SIGHUP: the run is
// cancelled, its plug-ins killed and its temporary files removed, and then
// the program ends by the signal it got.

#include <atomic>
#include <memory>

class TRunControl;

// Installs a handler for each of the three signals (one that the program was
// started ignoring, as under nohup, stays ignored). The handler only writes
// the signal's number into a pipe; a thread of its own reads it there and
// does the cleanup, so no signal mask changes and the programs a front end
// starts get the signals as usual. Make one per program. Once a signal has
// arrived, the destructor never returns: the program ends by that signal,
// not by the run's own ending (whose plug-ins the cleanup has just killed).
class TSignalCleanup {
public:
    explicit TSignalCleanup(std::shared_ptr<TRunControl> control);
    ~TSignalCleanup();
    TSignalCleanup(const TSignalCleanup&) = delete;
    TSignalCleanup& operator=(const TSignalCleanup&) = delete;

private:
    std::shared_ptr<std::atomic<bool>> received_ = std::make_shared<std::atomic<bool>>(false);
};
