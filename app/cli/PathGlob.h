#pragma once
// --include and --exclude: which files of a site a run takes.

#include <string>
#include <string_view>
#include <vector>

#include "app/core/RunPlan.h"

// Whether the '/'-separated path matches the glob: "*" any characters but '/',
// "**" any characters ("**/" also none: "**/a.css" matches "a.css"), "?" one
// character but '/'; every other character itself.
bool GlobMatches(std::string_view glob, std::string_view path);

struct TFileFilter {
    std::vector<std::string> include;  // none: every file
    std::vector<std::string> exclude;

    // The path a file is matched on: its path below its site, else its name.
    static std::string MatchedPath(const TListEntry& entry);
    // Matches some include (or there is none) and no exclude.
    bool Takes(const std::string& path) const;
    bool Empty() const { return include.empty() && exclude.empty(); }
};

// The entries the filter takes, in order; the others' sources go to `leftOut`.
std::vector<TListEntry> FilteredEntries(std::vector<TListEntry> entries, const TFileFilter& filter,
                                        std::vector<std::string>& leftOut);
