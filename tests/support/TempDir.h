#pragma once
// A fresh folder below the system's temp folder, removed with all it holds.

#include <string>

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    // The folder's path without a trailing "/".
    const std::string& Path() const { return path_; }
    // The folder's path with a trailing "/".
    std::string Folder() const { return path_ + "/"; }
    // Path() + "/" + name.
    std::string operator/(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};
