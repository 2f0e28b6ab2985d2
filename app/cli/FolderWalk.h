#pragma once
// Turns the command line's PATHs into the run's list.

#include <stdexcept>
#include <string>
#include <vector>

#include "app/core/RunPlan.h"

// A PATH that does not exist or a folder that cannot be read.
class PathError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Each PATH in order. A folder gives every file below it with its path below
// the folder as its relative destination (CollectSiteFiles); with `flat` it
// gives the web files below it without one (CollectWebFiles: sorted by path,
// folder links not followed). A file is taken as given, without relative
// destination. A site never lists `outputDir` (a folder inside it) nor a
// folder holding an earlier run's manifest: those are added to `leftOut`.
// Throws PathError for a PATH that does not exist, is neither a
// regular file nor a folder, or a folder that cannot be read.
std::vector<TListEntry> ExpandPaths(const std::vector<std::string>& paths, bool flat = false,
                                    const std::string& outputDir = {}, std::vector<std::string>* leftOut = nullptr);
