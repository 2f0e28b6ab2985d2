#pragma once
// The texts the window shows around a run: the paths that could not be
// listed, the question before a run whose files would overwrite each other,
// and the list of the files that failed.

#include <QString>

#include <string>
#include <vector>

#include "app/core/FileFailure.h"
#include "app/core/RunPlan.h"

// At most this many clashes or failures are named; the rest are counted.
constexpr std::size_t kListedAtMost = 10;

// A path given to the list that was not added, and why.
struct TPathRefusal {
    std::string path;
    std::string reason;
};

// "2 paths were not added:" with one line per path (the path and its reason).
QString RefusedPathList(const std::vector<TPathRefusal>& refused);

// "These files would be written to the same destination ..." with one line per
// clash (its destination and its sources), asking whether to optimize anyway.
QString ClashQuestion(const std::vector<TDestinationClash>& clashes);

// "2 files could not be optimized:" with one line per failure (its source and reason).
QString FailureList(const std::vector<TFileFailure>& failures);
