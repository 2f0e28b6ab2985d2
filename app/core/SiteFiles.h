#pragma once
// A folder taken as a site: every file below it with its place in the tree.

#include <string>
#include <string_view>
#include <vector>

#include "app/core/RunPlan.h"

// Whether an entry of this name is no part of a site (and what is below it).
bool IsSkippedSiteName(std::string_view name);

// Every regular file below `folder`, recursively, sorted by its path below the
// folder; each entry's relative destination is that path ("css/style.css").
// Version-control and system entries (".git", ".svn", ".hg", ".DS_Store",
// "Thumbs.db"), this program's temporary files and incremental manifests are
// skipped (with what is below them); other names starting with "." are files
// like any other. The folder `skipped` (the output folder, when it lies
// inside the site) and every folder below the site that holds a manifest (an
// earlier run's output) are left out with what is below them, each added to
// `leftOut` when given. Links to files are followed, links to folders are not.
// Throws std::runtime_error when the folder or a folder below it cannot be read.
std::vector<TListEntry> CollectSiteFiles(const std::string& folder, const std::string& skipped = {},
                                         std::vector<std::string>* leftOut = nullptr);
