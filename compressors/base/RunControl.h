#pragma once
// What one run keeps while it works, so that it can be ended from outside:
// the temporary files that exist right now, the process groups of the
// plug-ins that run right now, whether the run was cancelled, and which
// notices were already shown. The run environment carries a pointer to it;
// every member is safe to call from any thread.
//
// Cancel() is what the window calls when it closes: the running plug-ins are
// killed, their callers see the cancellation (RunCancelled) and unwind, and
// their temporary files go with them. CleanUpForExit() is what a signal
// handler thread calls before the process dies: it also removes every
// temporary file still registered, and nothing can be registered afterwards.

#include <sys/types.h>

#include <functional>
#include <mutex>
#include <set>
#include <stdexcept>
#include <string>

#include "compressors/base/FileDescriptor.h"

// The run was cancelled (the window closed, or the program is ending).
class RunCancelled : public std::runtime_error {
public:
    RunCancelled() : std::runtime_error("The run was cancelled.") {}
};

class TRunControl {
public:
    TRunControl();
    TRunControl(const TRunControl&) = delete;
    TRunControl& operator=(const TRunControl&) = delete;

    // A new run: not cancelled, no notice shown yet. Registered files and
    // processes stay registered.
    void BeginRun();

    // Creates a temporary file and registers it in one step, so no cleanup can
    // fall between the two: `create` is called with the lock held and returns
    // what open() returned (a descriptor, or -1 with errno set). The path is
    // registered only when a descriptor was returned. Throws RunCancelled once
    // cancelled.
    int CreateTemporaryFile(const std::string& path, const std::function<int()>& create);
    // Renames the registered file over `target` and forgets it. Returns
    // rename()'s result (errno set on failure; the file then stays registered).
    int RenameTemporaryFile(const std::string& path, const std::string& target);
    // Removes the registered file (if it is still there) and forgets it.
    void RemoveTemporaryFile(const std::string& path) noexcept;

    // Starts a process and registers its process group in one step: `start`
    // runs with the lock held and returns the new process id (its own group),
    // or -1. Throws RunCancelled once cancelled.
    pid_t StartProcessGroup(const std::function<pid_t()>& start);
    // Forgets a process group; call it before the leader is reaped, so that
    // its number cannot have been reused.
    void EndProcessGroup(pid_t group) noexcept;

    // Kills every registered process group; later starts throw RunCancelled.
    void Cancel() noexcept;
    bool Cancelled() const;
    // A descriptor that polls readable while the run is cancelled (from
    // Cancel() until the next BeginRun()), so a wait can watch it beside its
    // child; -1 when the system gave none (waits then see the kill alone).
    int CancelDescriptor() const noexcept { return cancelSignal_.get(); }
    // Cancel(), then every registered temporary file is removed; nothing can
    // be created or started afterwards.
    void CleanUpForExit() noexcept;

    // True the first time a key is seen in this run (one notice per program).
    bool FirstNotice(const std::string& key);

private:
    void KillGroups() noexcept;
    void SignalCancel() noexcept;

    FileDescriptor cancelSignal_;  // an eventfd, non-blocking

    mutable std::mutex mutex_;
    std::set<std::string> temporaryFiles_;
    std::set<pid_t> processGroups_;
    std::set<std::string> notices_;
    bool cancelled_ = false;
    bool closed_ = false;  // cleaned up for exit: stays cancelled
};
