#include "plugins/jhead/Replace.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "plugins/jhead/Failure.h"

namespace jhead {

namespace {

// The named work file, for the signal handlers.
char pending[PATH_MAX + 64];
volatile sig_atomic_t named = 0;

void RemovePending(int signal)
{
    if (named) ::unlink(pending);
    ::signal(signal, SIG_DFL);
    ::raise(signal);
}

bool WriteAll(int fd, std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t wrote = ::write(fd, bytes.data(), bytes.size());
        if (wrote < 0 && errno == EINTR) continue;
        if (wrote <= 0) return false;
        bytes.remove_prefix(static_cast<std::size_t>(wrote));
    }
    return true;
}

// A file without a name (O_TMPFILE) where the file system has them: a kill
// while it is written leaves nothing behind.
int OpenUnnamed(const std::string& folder, const std::string& name)
{
    const int fd = ::open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
    if (fd >= 0) return fd;
    named = 1;
    return ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
}

}  // namespace

void ReplaceFile(const std::string& path, std::string_view bytes)
{
    const Failure failure("cannot rewrite the file");
    const std::unique_ptr<char, decltype(&std::free)> real(::realpath(path.c_str(), nullptr), &std::free);
    struct stat status {};
    if (!real || ::stat(real.get(), &status) != 0) throw failure;
    const std::string target = real.get();
    const std::string folder = target.substr(0, target.rfind('/') + 1);
    const std::string name = folder + ".jhead." + std::to_string(::getpid()) + ".tmp";
    if (name.size() >= sizeof pending) throw failure;
    std::memcpy(pending, name.c_str(), name.size() + 1);
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) ::signal(signal, RemovePending);
    ::unlink(name.c_str());  // left by a killed process that had our id

    const int fd = OpenUnnamed(folder, name);
    bool done = fd >= 0 && WriteAll(fd, bytes) && ::fchmod(fd, status.st_mode & 07777) == 0;
    if (done && !named) {
        named = 1;
        const std::string self = "/proc/self/fd/" + std::to_string(fd);
        done = ::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0;
        named = done;
    }
    if (fd >= 0 && ::close(fd) != 0) done = false;
    done = done && ::rename(name.c_str(), target.c_str()) == 0;
    if (!done && named) ::unlink(name.c_str());
    named = 0;
    if (!done) throw failure;
}

}  // namespace jhead
