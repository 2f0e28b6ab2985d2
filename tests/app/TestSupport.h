#pragma once
// A run host that records what the run did, and the shared temp-folder and file helpers.

#include <functional>
#include <string>
#include <vector>

#include "app/core/BatchHost.h"
#include "tests/support/Files.h"
#include "tests/support/TempDir.h"

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
