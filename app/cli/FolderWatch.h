#pragma once
// Which files below some folders changed (inotify), a burst of events on one
// file taken as one change.

#include <chrono>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

class TFolderWatch {
public:
    // Whether a folder below a root (its path, ending in "/") is left unwatched.
    using TLeftOut = std::function<bool(const std::string& folder)>;

    // Watches each root (a folder path ending in "/") and every folder below
    // it but those `leftOut` names; folders made later are watched too.
    // Throws std::runtime_error when inotify or a root cannot be watched.
    TFolderWatch(const std::vector<std::string>& roots, TLeftOut leftOut,
                 std::chrono::milliseconds quiet = std::chrono::milliseconds(200));
    ~TFolderWatch();
    TFolderWatch(const TFolderWatch&) = delete;
    TFolderWatch& operator=(const TFolderWatch&) = delete;

    // Blocks until some files were written, moved in, moved away or deleted
    // and no event has come for them for the quiet time; their paths (root
    // + path below it), sorted. A folder made or moved in gives every file in
    // it. When the kernel's queue overflowed, every file below the roots.
    std::vector<std::string> Next();

private:
    void AddTree(const std::string& folder, std::set<std::string>* files);
    void Forget(const std::string& folder);
    void ReadEvents();

    int fd_ = -1;
    TLeftOut leftOut_;
    std::chrono::milliseconds quiet_;
    std::vector<std::string> roots_;
    std::map<int, std::string> folders_;  // by watch descriptor, each ending in "/"
    std::map<std::string, std::chrono::steady_clock::time_point> pending_;  // path: its last event
};
