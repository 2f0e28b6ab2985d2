#include "ToolRun.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace {

std::string gWorkFolder;  // removed when a signal ends the program
pid_t gChild = 0;         // killed then
double gChildrenCpu = 0;  // the CPU time of the children that ended

sigset_t EndingSignals(bool withChild)
{
    sigset_t set;
    sigemptyset(&set);
    for (int signal : {SIGHUP, SIGINT, SIGTERM}) sigaddset(&set, signal);
    if (withChild) sigaddset(&set, SIGCHLD);
    return set;
}

[[noreturn]] void EndBySignal(int signal)
{
    if (gChild > 0) {
        ::kill(gChild, SIGKILL);
        ::waitpid(gChild, nullptr, 0);
    }
    std::error_code ignored;
    if (!gWorkFolder.empty()) std::filesystem::remove_all(gWorkFolder, ignored);
    std::_Exit(128 + signal);
}

std::string TemporaryRoot()
{
    const char* tmp = std::getenv("TMPDIR");
    return tmp && *tmp ? tmp : "/tmp";
}

// Work folders of runs whose process is gone.
void RemoveStaleFolders(const std::string& root)
{
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(root, error)) {
        const std::string name = entry.path().filename().string();
        if (name.rfind("qwo-pngout.", 0) != 0) continue;
        const std::string rest = name.substr(11);
        const std::size_t dot = rest.find('.');
        if (dot == 0 || dot == std::string::npos || rest.find_first_not_of("0123456789") != dot) continue;
        struct stat info{};
        if (::lstat(entry.path().c_str(), &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != ::geteuid())
            continue;
        const long pid = std::strtol(rest.c_str(), nullptr, 10);
        if (pid > 0 && ::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH)
            std::filesystem::remove_all(entry.path(), error);
    }
}

double CpuSecondsOf(pid_t pid)
{
    clockid_t clock;
    timespec now{};
    if (::clock_getcpuclockid(pid, &clock) != 0 || ::clock_gettime(clock, &now) != 0) return 0;
    return static_cast<double>(now.tv_sec) + now.tv_nsec / 1e9;
}

std::string ReadText(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

[[noreturn]] void StartChild(const std::vector<std::string>& argv, const std::string& messagesFile, pid_t parent)
{
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (::getppid() != parent) std::_Exit(127);
    const sigset_t none = [] {
        sigset_t set;
        sigemptyset(&set);
        return set;
    }();
    ::sigprocmask(SIG_SETMASK, &none, nullptr);
    const int in = ::open("/dev/null", O_RDONLY);
    const int out = ::open(messagesFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (in < 0 || out < 0 || ::dup2(in, 0) < 0 || ::dup2(out, 1) < 0 || ::dup2(out, 2) < 0) std::_Exit(127);
    ::setenv("RUST_BACKTRACE", "0", 1);
    std::vector<char*> arguments;
    for (const std::string& argument : argv) arguments.push_back(const_cast<char*>(argument.c_str()));
    arguments.push_back(nullptr);
    ::execvp(arguments[0], arguments.data());
    const std::string reason = "cannot start: " + std::string(std::strerror(errno)) + "\n";
    [[maybe_unused]] const auto written = ::write(2, reason.data(), reason.size());
    std::_Exit(127);
}

}  // namespace

void GuardProcess()
{
    const sigset_t set = EndingSignals(true);
    ::sigprocmask(SIG_BLOCK, &set, nullptr);
    ::prctl(PR_SET_PDEATHSIG, SIGTERM);
}

void EndIfSignalled()
{
    const sigset_t set = EndingSignals(false);
    const timespec now{};
    const int signal = ::sigtimedwait(&set, nullptr, &now);
    if (signal > 0) EndBySignal(signal);
}

TWorkFolder::TWorkFolder()
{
    const std::string root = TemporaryRoot();
    RemoveStaleFolders(root);
    std::string name = root + "/qwo-pngout." + std::to_string(::getpid()) + ".XXXXXX";
    if (!::mkdtemp(name.data())) throw std::runtime_error("cannot create a work folder");
    path_ = name;
    gWorkFolder = path_;
}

TWorkFolder::~TWorkFolder()
{
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
    gWorkFolder.clear();
}

TToolOutcome RunTool(const std::vector<std::string>& argv, const std::string& messagesFile, double cpuBudget)
{
    EndIfSignalled();
    const pid_t parent = ::getpid();
    const pid_t child = ::fork();
    if (child < 0) throw std::runtime_error("cannot start " + argv[0]);
    if (child == 0) StartChild(argv, messagesFile, parent);
    gChild = child;
    TToolOutcome outcome;
    const sigset_t waited = EndingSignals(true);
    int status = 0;
    for (;;) {
        const pid_t done = ::waitpid(child, &status, WNOHANG);
        if (done == child) break;
        const double used = CpuSecondsOf(child);
        if (used >= cpuBudget) {
            ::kill(child, SIGKILL);
            ::waitpid(child, &status, 0);
            outcome.overBudget = true;
            break;
        }
        // Wakes when the child ends or a signal comes, at the latest when
        // the budget could be used up (a single-threaded tool), capped.
        const double wait = std::min(std::max(cpuBudget - used, 0.001), 0.05);
        const timespec timeout{0, static_cast<long>(wait * 1e9)};
        const int signal = ::sigtimedwait(&waited, nullptr, &timeout);
        if (signal > 0 && signal != SIGCHLD) EndBySignal(signal);
    }
    gChild = 0;
    rusage usage{};
    ::getrusage(RUSAGE_CHILDREN, &usage);
    const double children = usage.ru_utime.tv_sec + usage.ru_utime.tv_usec / 1e6 + usage.ru_stime.tv_sec +
                            usage.ru_stime.tv_usec / 1e6;
    outcome.cpuSeconds = children - gChildrenCpu;
    gChildrenCpu = children;
    outcome.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    outcome.messages = ReadText(messagesFile);
    return outcome;
}
