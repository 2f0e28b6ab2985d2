#pragma once
// One supervised plug-in process: started with fork and exec in a process
// group of its own, killed by the kernel when the thread that started it ends
// (parent-death signal), limited in address space, its standard error kept
// (the last few kilobytes), its exit status read. Move-only; the destructor
// kills the group and reaps a child that was not reaped yet.
//
// The thread that starts a child must be the one that waits for it: the
// parent-death signal fires when that thread ends.

#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "compressors/base/FileDescriptor.h"

class TRunControl;

class TToolProcess {
public:
    // Starts arguments[0] (a path) with the arguments. Standard input and
    // output are /dev/null, standard error a pipe to this object, every other
    // descriptor closed, signals at their defaults; memoryBytes (when not 0)
    // is the child's RLIMIT_AS. With a control, the process group is
    // registered there for as long as it runs (RunCancelled once cancelled).
    // Returns nothing when the program cannot be executed; `error` is then
    // the errno of the failure.
    static std::optional<TToolProcess> Start(const std::vector<std::string>& arguments, std::uint64_t memoryBytes,
                                             TRunControl* control, int& error);

    TToolProcess(TToolProcess&& other) noexcept;
    TToolProcess& operator=(TToolProcess&&) = delete;
    TToolProcess(const TToolProcess&) = delete;
    ~TToolProcess();

    enum class Wait { Ended, TimeUp, Cancelled };
    // Waits up to `milliseconds` (-1: without limit) for the child to end,
    // keeping its standard error meanwhile; blocks in poll() on the child's
    // pidfd, so it returns the moment the child ends (Ended; it is not
    // reaped yet). Cancelled: the control was cancelled meanwhile (the
    // child may still run).
    Wait WaitForExit(int milliseconds);
    // Kills the whole process group, and the child itself.
    void KillGroup() noexcept;
    // Reaps the child (waiting for it) and returns its wait status (that of
    // status 255 when it cannot be read).
    int Reap();

    // The last lines of its standard error that hold a letter or digit (at
    // most `count`, without blanks around them, joined by "; "); empty when
    // there were none.
    std::string ErrorLines(std::size_t count = 3) const;

private:
    TToolProcess(pid_t pid, FileDescriptor errorPipe, TRunControl* control);
    void DrainErrors();
    bool HasExited();
    // WaitForExit, watching `cancelDescriptor` too when it is not -1.
    Wait WaitFor(int milliseconds, int cancelDescriptor);

    pid_t pid_ = -1;
    FileDescriptor errorPipe_;
    FileDescriptor pidfd_;
    TRunControl* control_ = nullptr;
    std::string errorTail_;
    bool reaped_ = false;
};
