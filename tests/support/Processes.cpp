#include "tests/support/Processes.h"

#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

namespace {

// The state letter and the process group of /proc/<pid>/stat; state 0 when gone.
std::pair<char, pid_t> StateOf(pid_t pid)
{
    std::ifstream file("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    const auto close = text.rfind(')');
    if (close == std::string::npos) return {0, 0};
    std::istringstream rest(text.substr(close + 1));
    char state = 0;
    pid_t parent = 0, group = 0;
    rest >> state >> parent >> group;
    return {state, group};
}

}  // namespace

bool ProcessGone(pid_t pid, int milliseconds)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    for (;;) {
        if ((::kill(pid, 0) != 0 && errno == ESRCH) || StateOf(pid).first == 'Z' || StateOf(pid).first == 0)
            return true;
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

namespace {

std::vector<pid_t> LiveMembers(pid_t group)
{
    std::vector<pid_t> members;
    for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
        const std::string name = entry.path().filename();
        if (name.find_first_not_of("0123456789") != std::string::npos) continue;
        const pid_t pid = std::stoi(name);
        const auto [state, processGroup] = StateOf(pid);
        if (processGroup == group && state != 'Z' && state != 0) members.push_back(pid);
    }
    return members;
}

}  // namespace

std::vector<pid_t> ProcessGroupMembers(pid_t group, int milliseconds)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    for (;;) {
        auto members = LiveMembers(group);
        if (members.empty() || std::chrono::steady_clock::now() >= deadline) return members;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

namespace {

// The live processes with a NUL-separated field of /proc/<pid>/<file> that ends with `ending`.
std::vector<pid_t> LiveWithField(const char* file, const std::string& ending)
{
    std::vector<pid_t> found;
    for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
        const std::string name = entry.path().filename();
        if (name.find_first_not_of("0123456789") != std::string::npos) continue;
        const pid_t pid = std::stoi(name);
        std::ifstream stream(entry.path() / file);
        for (std::string text; std::getline(stream, text, '\0');)
            if (text.size() >= ending.size() && text.compare(text.size() - ending.size(), ending.size(), ending) == 0) {
                const char state = StateOf(pid).first;
                if (state != 'Z' && state != 0 && pid != ::getpid()) found.push_back(pid);
                break;
            }
    }
    return found;
}

}  // namespace

std::vector<pid_t> ProcessesMarked(const std::string& entry, int milliseconds)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    for (;;) {
        auto found = LiveWithField("environ", entry);
        if (found.empty() || std::chrono::steady_clock::now() >= deadline) return found;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

std::vector<pid_t> ProcessesWithArgumentEnding(const std::string& ending)
{
    return LiveWithField("cmdline", ending);
}
