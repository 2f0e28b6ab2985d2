#pragma once
// A run host that records what the run did, and the shared temp-folder and file helpers.

#include <sys/types.h>

#include <functional>
#include <string>
#include <vector>

#include "app/core/BatchHost.h"
#include "app/core/Run.h"
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
    // The request's parts; an entry without relative destination is flat.
    std::vector<std::string> files;
    std::vector<std::string> relatives;
    std::string outputDir;
    TRunEnvironment environment;
    TRunRequest Request() const;

    std::vector<int> progressPositions;  // files done, at each report
    std::vector<int> progressTotals;
    std::function<void(int fileIndex)> afterFile;  // runs as each file ends, before its row is shown
    int filesDone = 0;

    void SetProgress(int done, int total) override;

    // Texts of one grid row, columns 0 to 4.
    std::vector<std::string> Row(int row) const;
};

// The run of the host's request.
std::vector<TFileFailure> StartCompression(RecordingHost& host, const TRunOptions& options = {});

// A file of the sample site (examples/site/PATH).
std::string SampleFile(const std::string& path);

// A site of 300 files of every kind below `folder`: style sheets, pages, GIFs,
// a few PNG, JPEG and script files, and files copied unchanged.
void WriteGeneratedSite(const std::string& folder);
