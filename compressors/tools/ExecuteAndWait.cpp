#include "compressors/tools/ExecuteAndWait.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <iostream>
#include <thread>
#include <vector>

#include "compressors/tools/FileDescriptor.h"
#include "compressors/tools/ProgramSearch.h"

extern char** environ;

namespace {

constexpr int kWaitMilliseconds = 150;
constexpr auto kSleep = std::chrono::milliseconds(75);

void Notify(const ToolRunnerHooks& hooks, const std::string& message)
{
    if (hooks.notify)
        hooks.notify(message);
    else
        std::cerr << message << '\n';
}

// A started child. Reaped on destruction: if the caller's message pump throws
// while the tool runs, the tool's process group is killed first.
class ChildProcess {
public:
    explicit ChildProcess(pid_t pid) : pid_(pid)
    {
#ifdef SYS_pidfd_open
        pidfd_ = FileDescriptor(static_cast<int>(::syscall(SYS_pidfd_open, pid, 0)));
#endif
    }
    ~ChildProcess()
    {
        if (reaped_) return;
        ::kill(-pid_, SIGKILL);
        int status = 0;
        while (::waitpid(pid_, &status, 0) < 0 && errno == EINTR) {}
    }
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // Waits at most the given time; true once the child has ended (or the
    // wait itself failed).
    bool WaitFor(int milliseconds)
    {
        if (pidfd_.valid()) {
            pollfd entry{pidfd_.get(), POLLIN, 0};
            const int ready = ::poll(&entry, 1, milliseconds);
            if (ready == 0) return false;
            if (ready < 0 && errno == EINTR) return false;
            return TryReap(true);
        }
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
        for (;;) {
            if (TryReap(false)) return true;
            if (std::chrono::steady_clock::now() >= deadline) return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    }

private:
    bool TryReap(bool block)
    {
        int status = 0;
        pid_t result;
        do {
            result = ::waitpid(pid_, &status, block ? 0 : WNOHANG);
        } while (result < 0 && errno == EINTR);
        if (result == 0) return false;
        reaped_ = true;  // ended, or the wait failed: either way stop waiting
        return true;
    }

    pid_t pid_;
    FileDescriptor pidfd_;
    bool reaped_ = false;
};

// Starts the resolved arguments; returns the child's id, or -1.
pid_t Spawn(const std::vector<std::string>& arguments)
{
    std::vector<char*> argv;
    for (const auto& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawnattr_t attributes;
    posix_spawn_file_actions_init(&actions);
    posix_spawnattr_init(&attributes);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addclosefrom_np(&actions, 3);
    posix_spawnattr_setpgroup(&attributes, 0);
    sigset_t defaults;
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGPIPE);
    sigaddset(&defaults, SIGINT);
    sigaddset(&defaults, SIGTERM);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    sigset_t none;
    sigemptyset(&none);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);

    pid_t pid = -1;
    const int error = ::posix_spawn(&pid, argv[0], &actions, &attributes, argv.data(), environ);
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    return error == 0 ? pid : -1;
}

}  // namespace

void ExecuteAndWait(const std::string& commandLine, const TRunEnvironment& environment)
{
    if (environment.executor) {
        environment.executor(commandLine);
        return;
    }
    const ToolRunnerHooks& hooks = environment.hooks;
    const auto arguments = ResolveCommandLine(commandLine);
    const pid_t pid = arguments ? Spawn(*arguments) : -1;
    if (pid < 0) {
        Notify(hooks, "Unable to run " + commandLine);
        return;
    }
    ChildProcess child(pid);
    for (;;) {
        const bool ended = child.WaitFor(kWaitMilliseconds);
        if (hooks.processMessages) hooks.processMessages();
        std::this_thread::sleep_for(kSleep);
        if (ended) break;
    }
}
