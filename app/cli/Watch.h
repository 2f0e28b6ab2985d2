#pragma once
// --watch: after the first run, each file that changes below the sites is
// optimized again, one line per file, until the program is interrupted.

#include <ostream>
#include <string>
#include <vector>

#include "app/cli/ManifestUpdate.h"
#include "app/cli/Options.h"
#include "app/cli/PathGlob.h"
#include "app/core/Run.h"

struct TWatchSetup {
    std::vector<std::string> sites;  // the folder PATHs, each ending in "/"
    std::string outputDirText;       // ends in "/"
    std::string manifestPath;
    TFileFilter filter;
    TRunEnvironment environment;
};

// Watches until interrupted (the signal cleanup ends the program). A changed
// file that the filter takes is optimized as in the first run (reusing what
// the manifest vouches for) and its row printed to `out` as "SOURCE: ORIGINAL
// -> OPTIMIZED (RATIO)", a failure to `err` as "SOURCE: REASON"; the manifest
// is written after each burst. A deleted source prints "SOURCE: deleted"; with
// options.deleteOutputs its output goes too, but only when the manifest
// records it and it is still as written. Returns 1 when the folders cannot be
// watched.
int WatchSites(const TWatchSetup& setup, const CliOptions& options, TManifestUpdate& manifest, std::ostream& out,
               std::ostream& err);
