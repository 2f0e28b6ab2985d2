// cscript [//Option...] SCRIPT [ARGUMENTS...]: the script host. Drops its
// own "//" options before the script's name and runs the script with Node.js
// (found on PATH as node or nodejs; NODE_PATH gains /usr/share/nodejs, where
// Debian installs Node.js libraries). A script marked "cscript: served" in its
// first lines is run by a cscript-server.cjs kept for the program that started
// us (our parent), reached over a socket in a private folder; the server is
// started when none answers. Any other script, or any trouble before the
// server has taken the job, runs as "node -- SCRIPT ARGUMENTS..." in this
// process (exec, no shell). When no server answers, ESC.wsf's levels 2 to 4
// run esbuild's binary from here (cscript-direct.h), so that a run with few
// scripts starts no Node.js at all. Standard error and the exit status are the
// script's. "//Prepare" only starts the server for a served script (the
// program does so while it plans a run) and ends when it answers: status 0,
// also when there is nothing to start.

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <strings.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "compressors/base/FileDescriptor.h"
#include "plugins/cscript-direct.h"

namespace {

constexpr std::string_view marker = "cscript: served";
constexpr auto serverStartLimit = std::chrono::seconds(20);

using Descriptor = FileDescriptor;

bool IsExecutableFile(const std::string& path)
{
    struct stat status {};
    return ::stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode) && ::access(path.c_str(), X_OK) == 0;
}

// node or nodejs on PATH; empty when neither is there.
std::string FindNode()
{
    const char* path = std::getenv("PATH");
    const std::string folders = path ? path : "/usr/local/bin:/usr/bin:/bin";
    for (const char* name : {"node", "nodejs"}) {
        for (std::size_t start = 0;;) {
            const std::size_t colon = folders.find(':', start);
            std::string folder = folders.substr(start, colon == std::string::npos ? std::string::npos : colon - start);
            if (folder.empty()) folder = ".";
            if (const std::string candidate = folder + "/" + name; IsExecutableFile(candidate)) return candidate;
            if (colon == std::string::npos) break;
            start = colon + 1;
        }
    }
    return {};
}

[[noreturn]] void RunWithNode(const char* node, char** scriptAndArguments)
{
    std::vector<char*> arguments{const_cast<char*>(node), const_cast<char*>("--")};
    for (char** argument = scriptAndArguments; *argument; ++argument) arguments.push_back(*argument);
    arguments.push_back(nullptr);
    ::execv(node, arguments.data());
    std::fprintf(stderr, "cscript: cannot run %s: %s\n", node, std::strerror(errno));
    std::exit(127);
}

bool MarkedServed(const char* script)
{
    Descriptor file(::open(script, O_RDONLY | O_CLOEXEC));
    if (!file.valid()) return false;
    char head[1024];
    const ssize_t got = ::read(file.get(), head, sizeof head);
    return got > 0 && std::string_view(head, static_cast<std::size_t>(got)).find(marker) != std::string_view::npos;
}

// Field 22 of /proc/PID/stat: the start time, which tells a reused pid apart.
std::optional<std::string> StartTimeOf(pid_t pid)
{
    Descriptor file(::open(("/proc/" + std::to_string(pid) + "/stat").c_str(), O_RDONLY | O_CLOEXEC));
    if (!file.valid()) return std::nullopt;
    char buffer[1024];
    const ssize_t got = ::read(file.get(), buffer, sizeof buffer - 1);
    if (got <= 0) return std::nullopt;
    const std::string stat(buffer, static_cast<std::size_t>(got));
    std::size_t at = stat.rfind(')');
    for (int field = 2; field < 22 && at != std::string::npos; ++field) at = stat.find(' ', at + 1);
    if (at == std::string::npos) return std::nullopt;
    const std::size_t end = stat.find(' ', at + 1);
    return stat.substr(at + 1, end == std::string::npos ? std::string::npos : end - at - 1);
}

// The private folder of the server for this program: ours alone, mode 0700.
// Made when `make` is set; otherwise nothing when it is not there.
std::optional<std::string> ServerFolder(pid_t served, const std::string& start, bool make)
{
    std::string base = "/tmp";
    for (const char* variable : {"XDG_RUNTIME_DIR", "TMPDIR"}) {
        const char* value = std::getenv(variable);
        if (value && value[0] == '/') {
            base = value;
            break;
        }
    }
    const std::string folder =
        base + "/qwo-cscript-" + std::to_string(::getuid()) + "-" + std::to_string(served) + "-" + start;
    if (folder.size() + sizeof "/socket" > sizeof(sockaddr_un{}.sun_path)) return std::nullopt;
    if (make && ::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) return std::nullopt;
    struct stat status {};
    if (::lstat(folder.c_str(), &status) != 0 || !S_ISDIR(status.st_mode) || status.st_uid != ::getuid() ||
        (status.st_mode & 0777) != 0700)
        return std::nullopt;
    return folder;
}

Descriptor Connect(const std::string& socketPath)
{
    Descriptor socket(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, socketPath.c_str(), socketPath.size() + 1);
    if (!socket.valid() || ::connect(socket.get(), reinterpret_cast<sockaddr*>(&address), sizeof address) != 0)
        return Descriptor();
    return socket;
}

// Whether the descriptor is the file now at `path` (not one unlinked meanwhile).
bool SameFile(int fd, const std::string& path)
{
    struct stat open {};
    struct stat named {};
    return ::fstat(fd, &open) == 0 && ::lstat(path.c_str(), &named) == 0 && open.st_dev == named.st_dev &&
           open.st_ino == named.st_ino;
}

// Removes the server folder when no server answers in it. The caller holds
// the folder's lock, so no server is being started there meanwhile.
void RemoveUnservedFolder(const std::string& folder)
{
    const std::string socketPath = folder + "/socket";
    if (Connect(socketPath).valid()) return;
    ::unlink(socketPath.c_str());
    ::unlink((folder + "/lock").c_str());
    ::rmdir(folder.c_str());
}

// Starts the server in a session of its own, detached from our streams and
// descriptors, so that nothing of the caller's waits for it. The returned
// process watches the server (its child) and removes the folder once it has
// ended, however it ended (killed, out of memory, crashed at start), unless a
// client holds the lock then: that client starts the next server or, if it
// started this one, removes the folder itself.
pid_t StartServer(const char* node, const std::string& server, const std::string& folder, pid_t served,
                  const std::string& start, const char* script)
{
    const std::string servedText = std::to_string(served);
    const pid_t child = ::fork();
    if (child != 0) return child;
    ::setsid();
    const int null = ::open("/dev/null", O_RDWR);
    for (int fd = 0; fd <= 2; ++fd) ::dup2(null, fd);
    ::close_range(3, ~0U, 0);  // the caller's lock among them
    const pid_t serving = ::fork();
    if (serving == 0) {
        const char* arguments[] = {node,          "--",   server.c_str(), folder.c_str(), servedText.c_str(),
                                   start.c_str(), script, nullptr};
        ::execv(node, const_cast<char**>(arguments));
        ::_exit(127);
    }
    if (serving > 0)
        while (::waitpid(serving, nullptr, 0) < 0 && errno == EINTR) {}
    const std::string lockPath = folder + "/lock";
    const Descriptor lock(::open(lockPath.c_str(), O_RDWR | O_CLOEXEC | O_NOFOLLOW));
    if (lock.valid() && ::flock(lock.get(), LOCK_EX | LOCK_NB) == 0 && SameFile(lock.get(), lockPath))
        RemoveUnservedFolder(folder);
    ::_exit(0);
}

Descriptor ConnectOrStart(const char* node, const std::string& folder, pid_t served, const std::string& start,
                          const char* script)
{
    const std::string socketPath = folder + "/socket";
    if (Descriptor socket = Connect(socketPath); socket.valid()) return socket;
    // One caller at a time starts the server; the others then find it. A lock
    // file unlinked meanwhile (its folder removed) locks nothing: no server then.
    const std::string lockPath = folder + "/lock";
    Descriptor lock(::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600));
    if (!lock.valid() || ::flock(lock.get(), LOCK_EX) != 0 || !SameFile(lock.get(), lockPath)) return Descriptor();
    if (Descriptor socket = Connect(socketPath); socket.valid()) return socket;
    ::unlink(socketPath.c_str());
    char self[4096];
    const ssize_t length = ::readlink("/proc/self/exe", self, sizeof self - 1);
    const pid_t child = length <= 0 ? -1 : [&] {
        std::string server(self, static_cast<std::size_t>(length));
        server = server.substr(0, server.rfind('/') + 1) + "cscript-server.cjs";
        return StartServer(node, server, folder, served, start, script);
    }();
    if (child > 0) {
        const auto limit = std::chrono::steady_clock::now() + serverStartLimit;
        bool ended = false;
        while (!ended && std::chrono::steady_clock::now() < limit) {
            if (Descriptor socket = Connect(socketPath); socket.valid()) return socket;
            ended = ::waitpid(child, nullptr, WNOHANG) == child;
            if (!ended) std::this_thread::sleep_for(std::chrono::milliseconds(3));
        }
        if (!ended) {  // never answered: the server and its watcher go
            ::kill(-child, SIGKILL);
            ::kill(child, SIGKILL);
            ::waitpid(child, nullptr, 0);
        }
    }
    // No server here: none is left behind either (we still hold the lock).
    RemoveUnservedFolder(folder);
    return Descriptor();
}

bool SendAll(int fd, const std::string& bytes)
{
    for (std::size_t sent = 0; sent < bytes.size();) {
        const ssize_t done = ::send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (done < 0 && errno == EINTR) continue;
        if (done <= 0) return false;
        sent += static_cast<std::size_t>(done);
    }
    return true;
}

// The job's exit status, its standard error written to ours; nothing when the
// server did not see the job through (then nothing was written to stderr).
std::optional<int> Serve(int socket, char** scriptAndArguments)
{
    std::string request = "1";
    request.push_back('\0');
    char* cwd = ::getcwd(nullptr, 0);
    if (!cwd) return std::nullopt;
    request.append(cwd).push_back('\0');
    std::free(cwd);
    for (char** argument = scriptAndArguments; *argument; ++argument) request.append(*argument).push_back('\0');
    if (!SendAll(socket, request) || ::shutdown(socket, SHUT_WR) != 0) return std::nullopt;
    std::string reply;
    char buffer[65536];
    for (;;) {
        const ssize_t got = ::read(socket, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return std::nullopt;
        if (got == 0) break;
        reply.append(buffer, static_cast<std::size_t>(got));
    }
    const std::size_t newline = reply.find('\n');
    if (newline == std::string::npos || newline == 0 || newline > 3) return std::nullopt;
    int status = 0;
    for (std::size_t i = 0; i < newline; ++i) {
        if (reply[i] < '0' || reply[i] > '9') return std::nullopt;
        status = status * 10 + (reply[i] - '0');
    }
    for (std::size_t at = newline + 1; at < reply.size();) {
        const ssize_t done = ::write(STDERR_FILENO, reply.data() + at, reply.size() - at);
        if (done < 0 && errno == EINTR) continue;
        if (done <= 0) break;
        at += static_cast<std::size_t>(done);
    }
    return status > 255 ? 1 : status;
}

}  // namespace

int main(int argc, char** argv)
{
    int first = 1;
    bool prepare = false;
    for (; first < argc && std::strncmp(argv[first], "//", 2) == 0; ++first)
        if (::strcasecmp(argv[first], "//Prepare") == 0) prepare = true;
    if (first >= argc) {
        std::fputs("cscript: no script named\n", stderr);
        return 2;
    }
    const std::string node = FindNode();
    if (node.empty()) {
        std::fputs("cscript: Node.js is missing\n", stderr);
        return 127;
    }
    const char* nodePath = std::getenv("NODE_PATH");
    ::setenv("NODE_PATH", (nodePath && *nodePath ? std::string(nodePath) + ":" : std::string()).append("/usr/share/nodejs").c_str(), 1);

    char** scriptAndArguments = argv + first;
    const char* script = argv[first];
    const pid_t served = ::getppid();
    if (served > 1 && MarkedServed(script)) {
        const auto start = StartTimeOf(served);
        if (!prepare) {
            // A server the program started ahead (a run with many scripts)
            // takes the job; without one, ESC.wsf's usual jobs need no Node.js.
            const auto folder = start ? ServerFolder(served, *start, false) : std::nullopt;
            const Descriptor socket = folder ? Connect(*folder + "/socket") : Descriptor();
            if (socket.valid()) {
                if (const auto status = Serve(socket.get(), scriptAndArguments)) return *status;
                RunWithNode(node.c_str(), scriptAndArguments);
            }
            if (const auto status = RunScriptPluginDirectly(scriptAndArguments)) {
                return *status;
            }
        }
        const auto folder = start ? ServerFolder(served, *start, true) : std::nullopt;
        if (folder) {
            const Descriptor socket = ConnectOrStart(node.c_str(), *folder, served, *start, script);
            if (prepare) return 0;
            if (socket.valid())
                if (const auto status = Serve(socket.get(), scriptAndArguments)) return *status;
        }
    }
    if (prepare) return 0;
    RunWithNode(node.c_str(), scriptAndArguments);
}
