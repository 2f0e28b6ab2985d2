#pragma once
// A run host that records what the run did, and the shared temp-folder and file helpers.

#include <sys/types.h>

#include <functional>
#include <string>
#include <vector>

#include "app/core/BatchHost.h"
#include "tests/support/Files.h"
#include "tests/support/TempDir.h"

// quorvan-optimize as built, run to its end.
struct Outcome {
    int status = -1;  // the exit status; -1 when it ended by a signal
    std::string out;
    std::string err;
};
Outcome RunProgram(const TempDir& dir, const std::vector<std::string>& arguments);

// quorvan-optimize started in the background (standard output and error to
// files in `dir`); returns its process id.
pid_t StartProgram(const TempDir& dir, const std::vector<std::string>& arguments);

// Single-quoted for the shell.
std::string Quoted(const std::string& text);

class RecordingHost : public TBatchHost {
public:
    std::vector<int> progressPositions;
    std::vector<int> progressMaxima;
    std::function<void(int fileIndex)> afterFile;  // runs where the window pumps messages
    int filesDone = 0;

    void SetProgressMax(int maximum) override;
    void SetProgress(int position) override;
    void RepaintAndProcessMessages() override;

    // Texts of one grid row, columns 0 to 4.
    std::vector<std::string> Row(int row) const;
};

// A file of the sample site (examples/site/PATH).
std::string SampleFile(const std::string& path);

// A site of 300 files of every kind below `folder`: style sheets, pages, GIFs,
// a few PNG, JPEG and script files, and files copied unchanged.
void WriteGeneratedSite(const std::string& folder);
