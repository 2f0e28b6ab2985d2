#include "app/cli/FolderWatch.h"

#include <poll.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <stdexcept>
#include <system_error>

#include "app/core/SiteFiles.h"

namespace fs = std::filesystem;

namespace {

constexpr std::uint32_t kEvents =
    IN_CLOSE_WRITE | IN_MOVED_TO | IN_MOVED_FROM | IN_DELETE | IN_CREATE | IN_ONLYDIR | IN_DONT_FOLLOW;

}  // namespace

TFolderWatch::TFolderWatch(const std::vector<std::string>& roots, TLeftOut leftOut, std::chrono::milliseconds quiet)
    : fd_(::inotify_init1(IN_CLOEXEC | IN_NONBLOCK)), leftOut_(std::move(leftOut)), quiet_(quiet), roots_(roots)
{
    if (fd_ < 0) throw std::runtime_error(std::string("Cannot watch folders: ") + std::strerror(errno));
    for (const std::string& root : roots_) {
        const std::size_t before = folders_.size();
        AddTree(root, nullptr);
        if (folders_.size() == before) {
            const int error = errno;
            ::close(fd_);
            throw std::runtime_error("Cannot watch \"" + root + "\": " + std::strerror(error));
        }
    }
}

TFolderWatch::~TFolderWatch()
{
    ::close(fd_);
}

void TFolderWatch::AddTree(const std::string& folder, std::set<std::string>* files)
{
    const int wd = ::inotify_add_watch(fd_, folder.c_str(), kEvents);
    if (wd < 0) return;  // gone already, or not a folder
    folders_[wd] = folder;
    std::error_code error;
    for (fs::directory_iterator it(folder, error); !error && it != fs::directory_iterator(); it.increment(error)) {
        const std::string name = it->path().filename().string();
        if (IsSkippedSiteName(name)) continue;
        std::error_code typeError;
        if (it->is_directory(typeError) && !it->is_symlink(typeError)) {
            if (!leftOut_(folder + name + "/")) AddTree(folder + name + "/", files);
        } else if (files && it->is_regular_file(typeError)) {
            files->insert(folder + name);
        }
    }
}

void TFolderWatch::Forget(const std::string& folder)
{
    for (auto it = folders_.begin(); it != folders_.end();) {
        if (it->second.compare(0, folder.size(), folder) == 0) {
            ::inotify_rm_watch(fd_, it->first);
            it = folders_.erase(it);
        } else {
            ++it;
        }
    }
}

void TFolderWatch::ReadEvents()
{
    alignas(inotify_event) char buffer[16384];
    for (;;) {
        const ssize_t got = ::read(fd_, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) return;  // EAGAIN: all read
        const auto now = std::chrono::steady_clock::now();
        for (ssize_t at = 0; at < got;) {
            const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
            at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
            if (event->mask & IN_Q_OVERFLOW) {
                std::set<std::string> files;
                const std::vector<std::string> roots = roots_;
                for (const std::string& root : roots) {
                    Forget(root);
                    AddTree(root, &files);
                }
                for (const std::string& file : files) pending_[file] = now;
                continue;
            }
            if (event->mask & IN_IGNORED) {
                folders_.erase(event->wd);
                continue;
            }
            const auto folder = folders_.find(event->wd);
            if (folder == folders_.end() || event->len == 0) continue;
            const std::string name = event->name;
            if (IsSkippedSiteName(name)) continue;
            const std::string path = folder->second + name;
            if (event->mask & IN_ISDIR) {
                if (event->mask & (IN_CREATE | IN_MOVED_TO)) {
                    if (leftOut_(path + "/")) continue;
                    std::set<std::string> files;
                    AddTree(path + "/", &files);
                    for (const std::string& file : files) pending_[file] = now;
                } else if (event->mask & IN_MOVED_FROM) {
                    Forget(path + "/");
                }
                continue;
            }
            if (event->mask & IN_CREATE) continue;  // its writing ends with IN_CLOSE_WRITE
            pending_[path] = now;
        }
    }
}

std::vector<std::string> TFolderWatch::Next()
{
    for (;;) {
        int timeout = -1;
        if (!pending_.empty()) {
            auto last = pending_.begin()->second;
            for (const auto& [path, time] : pending_) last = std::min(last, time);
            const auto wait = std::chrono::duration_cast<std::chrono::milliseconds>(
                last + quiet_ - std::chrono::steady_clock::now());
            timeout = static_cast<int>(std::max<std::chrono::milliseconds::rep>(0, wait.count()));
        }
        pollfd ready{fd_, POLLIN, 0};
        const int polled = ::poll(&ready, 1, timeout);
        if (polled < 0 && errno != EINTR) throw std::runtime_error(std::string("Cannot watch folders: ") + std::strerror(errno));
        if (polled > 0) ReadEvents();
        std::vector<std::string> settled;
        const auto now = std::chrono::steady_clock::now();
        for (auto it = pending_.begin(); it != pending_.end();) {
            if (now - it->second >= quiet_) {
                settled.push_back(it->first);
                it = pending_.erase(it);
            } else {
                ++it;
            }
        }
        if (!settled.empty()) return settled;
    }
}
