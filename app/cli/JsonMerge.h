#pragma once
// --merge-json: the JSON results of several runs (the shards of one site) as one.

#include <stdexcept>
#include <string>
#include <vector>

#include "app/cli/RunSummary.h"

class MergeError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct TMergedJson {
    std::string text;  // the document, as a run writes it
    TRunTally tally;
};

// Reads the files (as the program wrote them) and joins them: their files in
// the order given, totals and statuses summed, the ratio over the sums, the
// wall time the longest part's, the processor time the sum. Throws
// MergeError naming the file when one cannot be read, is not JSON, has
// another schema, or another version or levels than the first.
TMergedJson MergeJsonFiles(const std::vector<std::string>& paths);
