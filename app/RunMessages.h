#pragma once
// The texts the window shows around a run: the question before a run whose
// files would overwrite each other, and the list of the files that failed.

#include <QString>

#include <vector>

#include "app/core/FileFailure.h"
#include "app/core/RunPlan.h"

// At most this many clashes or failures are named; the rest are counted.
constexpr std::size_t kListedAtMost = 10;

// "These files would be written to the same destination ..." with one line per
// clash (its destination and its sources), asking whether to optimize anyway.
QString ClashQuestion(const std::vector<TDestinationClash>& clashes);

// "2 files could not be optimized:" with one line per failure (its source and reason).
QString FailureList(const std::vector<TFileFailure>& failures);
