#pragma once
// Temp folders, whole-file helpers and a run host that records what the run did.

#include <functional>
#include <string>
#include <vector>

#include "app/core/BatchHost.h"

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    // The folder's path without a trailing "/".
    const std::string& Path() const { return path_; }
    // Path() + "/" + name.
    std::string operator/(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

// Creates parent folders as needed.
void WriteFile(const std::string& path, const std::string& bytes);
std::string ReadFile(const std::string& path);
bool FileExists(const std::string& path);

class RecordingHost : public TBatchHost {
public:
    std::vector<int> progressPositions;
    std::vector<int> progressMaxima;
    std::function<void(int fileIndex)> afterFile;   // runs where the window pumps messages
    int filesDone = 0;

    void SetProgressMax(int maximum) override;
    void SetProgress(int position) override;
    void RepaintAndProcessMessages() override;

    // Texts of one grid row, columns 0 to 4.
    std::vector<std::string> Row(int row) const;
};
