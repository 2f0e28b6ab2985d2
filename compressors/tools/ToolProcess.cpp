#include "compressors/tools/ToolProcess.h"

#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <chrono>

#include "compressors/base/RunControl.h"

extern char** environ;

namespace {

constexpr std::size_t kErrorTailBytes = 4096;
constexpr int kUnknownStatus = 255 << 8;  // as if it had ended with status 255
constexpr int kFallbackMilliseconds = 5;

// A descriptor of 3 or more (the child's 0, 1 and 2 are set by dup2), close-on-exec.
FileDescriptor HighDescriptor(int fd)
{
    if (fd < 0 || fd >= 3) return FileDescriptor(fd);
    FileDescriptor low(fd);
    return FileDescriptor(::fcntl(fd, F_DUPFD_CLOEXEC, 3));
}

struct TPipe {
    FileDescriptor read;
    FileDescriptor write;
};

TPipe MakePipe(int& error)
{
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) {
        error = errno;
        return TPipe{FileDescriptor(), FileDescriptor()};
    }
    TPipe pipe{HighDescriptor(fds[0]), HighDescriptor(fds[1])};
    if (!pipe.read.valid() || !pipe.write.valid()) error = errno;
    return pipe;
}

// The child between vfork and exec: system calls only, on the parent's memory
// (nothing allocated, nothing returned from).
[[noreturn]] void BecomeTool(const char* path, char* const* argv, int devNull, int errorWrite, int execReport,
                             std::uint64_t memoryBytes, pid_t parent)
{
    ::setpgid(0, 0);
    if (::prctl(PR_SET_PDEATHSIG, SIGKILL) != 0 || ::getppid() != parent) ::_exit(127);
    struct sigaction defaults {};
    defaults.sa_handler = SIG_DFL;
    for (int signal = 1; signal < NSIG; ++signal) ::sigaction(signal, &defaults, nullptr);
    sigset_t none;
    ::sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);
    if (memoryBytes > 0) {
        const rlimit limit{static_cast<rlim_t>(memoryBytes), static_cast<rlim_t>(memoryBytes)};
        ::setrlimit(RLIMIT_AS, &limit);
    }
    if (::dup2(devNull, 0) < 0 || ::dup2(devNull, 1) < 0 || ::dup2(errorWrite, 2) < 0) ::_exit(127);
    // Everything else goes, but the close-on-exec report of an exec failure.
    const unsigned report = static_cast<unsigned>(execReport);
    if ((report > 3 && ::close_range(3, report - 1, 0) != 0) || ::close_range(report + 1, ~0U, 0) != 0) {
        for (int fd = 3; fd < 65536; ++fd)
            if (fd != execReport) ::close(fd);
    }
    ::execve(path, argv, environ);
    const int error = errno;
    [[maybe_unused]] const ssize_t written = ::write(execReport, &error, sizeof error);
    ::_exit(127);
}

}  // namespace

std::optional<TToolProcess> TToolProcess::Start(const std::vector<std::string>& arguments, std::uint64_t memoryBytes,
                                                TRunControl* control, int& error)
{
    error = 0;
    std::vector<char*> argv;
    for (const auto& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);

    FileDescriptor devNull = HighDescriptor(::open("/dev/null", O_RDWR | O_CLOEXEC));
    if (!devNull.valid()) error = errno;
    TPipe errors = MakePipe(error);
    TPipe report = MakePipe(error);
    if (error != 0) return std::nullopt;
    ::fcntl(errors.read.get(), F_SETFL, O_NONBLOCK);

    const pid_t parent = ::getpid();
    // vfork: no copy of this process's page tables, and no copy-on-write
    // faults after it in the other workers. The child borrows this thread's
    // memory until its exec; with every signal blocked meanwhile, no handler
    // of ours runs in it before it resets them.
    auto start = [&]() -> pid_t {
        sigset_t all, previous;
        ::sigfillset(&all);
        ::pthread_sigmask(SIG_SETMASK, &all, &previous);
        const pid_t pid = ::vfork();
        if (pid == 0)
            BecomeTool(argv[0], argv.data(), devNull.get(), errors.write.get(), report.write.get(), memoryBytes,
                       parent);
        const int forkError = errno;
        ::pthread_sigmask(SIG_SETMASK, &previous, nullptr);
        if (pid > 0) ::setpgid(pid, pid);  // also here: no kill may reach the group before it exists
        errno = forkError;
        return pid;
    };
    const pid_t pid = control ? control->StartProcessGroup(start) : start();
    if (pid < 0) {
        error = errno;
        return std::nullopt;
    }
    TToolProcess process(pid, std::move(errors.read), control);
    errors.write.Close();
    report.write.Close();

    // The report pipe closes at a successful exec; otherwise it brings errno.
    int execError = 0;
    ssize_t got;
    do {
        got = ::read(report.read.get(), &execError, sizeof execError);
    } while (got < 0 && errno == EINTR);
    if (got == static_cast<ssize_t>(sizeof execError)) {
        error = execError;
        return std::nullopt;  // the destructor reaps the child
    }
    return process;
}

TToolProcess::TToolProcess(pid_t pid, FileDescriptor errorPipe, TRunControl* control)
    : pid_(pid), errorPipe_(std::move(errorPipe)), control_(control)
{
#ifdef SYS_pidfd_open
    pidfd_ = FileDescriptor(static_cast<int>(::syscall(SYS_pidfd_open, pid, 0)));
#endif
}

TToolProcess::TToolProcess(TToolProcess&& other) noexcept
    : pid_(other.pid_), errorPipe_(std::move(other.errorPipe_)), pidfd_(std::move(other.pidfd_)),
      control_(other.control_), errorTail_(std::move(other.errorTail_)), reaped_(other.reaped_)
{
    other.reaped_ = true;
}

TToolProcess::~TToolProcess()
{
    if (reaped_) return;
    KillGroup();
    int status = 0;
    siginfo_t info{};
    while (::waitid(P_PID, static_cast<id_t>(pid_), &info, WEXITED | WNOWAIT) < 0 && errno == EINTR) {}
    if (control_) control_->EndProcessGroup(pid_);
    while (::waitpid(pid_, &status, 0) < 0 && errno == EINTR) {}
}

bool TToolProcess::HasExited()
{
    siginfo_t info{};
    int result;
    do {
        result = ::waitid(P_PID, static_cast<id_t>(pid_), &info, WEXITED | WNOHANG | WNOWAIT);
    } while (result < 0 && errno == EINTR);
    return result < 0 || info.si_pid != 0;  // a failed wait ends the waiting too
}

TToolProcess::Wait TToolProcess::WaitForExit(int milliseconds)
{
    return WaitFor(milliseconds, control_ ? control_->CancelDescriptor() : -1);
}

TToolProcess::Wait TToolProcess::WaitFor(int milliseconds, int cancelDescriptor)
{
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(milliseconds < 0 ? 0 : milliseconds);
    for (;;) {
        DrainErrors();
        if (HasExited()) {
            DrainErrors();
            return Wait::Ended;
        }
        int wait = -1;
        if (milliseconds >= 0) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
            if (left <= 0) return Wait::TimeUp;
            wait = static_cast<int>(left);
        }
        // poll() skips entries whose descriptor is negative. Without a pidfd
        // the child is looked at again every 5 ms.
        if (!pidfd_.valid() && (wait < 0 || wait > kFallbackMilliseconds)) wait = kFallbackMilliseconds;
        pollfd entries[3] = {{cancelDescriptor, POLLIN, 0}, {pidfd_.get(), POLLIN, 0}, {errorPipe_.get(), POLLIN, 0}};
        if (::poll(entries, 3, wait) > 0 && (entries[0].revents & POLLIN) != 0) return Wait::Cancelled;
    }
}

void TToolProcess::DrainErrors()
{
    if (!errorPipe_.valid()) return;
    char buffer[4096];
    for (;;) {
        const ssize_t got = ::read(errorPipe_.get(), buffer, sizeof buffer);
        if (got > 0) {
            errorTail_.append(buffer, static_cast<std::size_t>(got));
            if (errorTail_.size() > 2 * kErrorTailBytes) errorTail_.erase(0, errorTail_.size() - kErrorTailBytes);
            continue;
        }
        if (got < 0 && errno == EINTR) continue;
        if (got == 0) errorPipe_.Close();  // every writer is gone
        return;
    }
}

void TToolProcess::KillGroup() noexcept
{
    if (reaped_) return;
    ::kill(-pid_, SIGKILL);
    ::kill(pid_, SIGKILL);  // also when it has left its group
}

int TToolProcess::Reap()
{
    WaitFor(-1, -1);
    if (control_) control_->EndProcessGroup(pid_);
    int status = 0;
    pid_t reaped;
    do {
        reaped = ::waitpid(pid_, &status, 0);
    } while (reaped < 0 && errno == EINTR);
    reaped_ = true;
    // Reaped by someone else (SIGCHLD ignored): the status is unknown, never a success.
    return reaped == pid_ ? status : kUnknownStatus;
}

std::string TToolProcess::ErrorLines(std::size_t count) const
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    const std::string& text = errorTail_;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t')) line.pop_back();
        line.erase(0, line.find_first_not_of(" \t"));
        bool meaningful = false;
        for (const char c : line) meaningful = meaningful || std::isalnum(static_cast<unsigned char>(c));
        if (meaningful) lines.push_back(std::move(line));
        start = end + 1;
    }
    std::string joined;
    const std::size_t first = lines.size() > count ? lines.size() - count : 0;
    for (std::size_t i = first; i < lines.size(); ++i) joined += (joined.empty() ? "" : "; ") + lines[i];
    return joined;
}
