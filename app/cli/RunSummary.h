#pragma once
// The one line a run ends with under --quiet (and --merge-json), for CI logs.

#include <string>

// What a run did, counted over its files as the JSON results count them.
struct TRunTally {
    long long files = 0;
    long long original = 0;  // bytes, over the files not failed
    long long optimized = 0;
    long long failed = 0;
    long long kept = 0;
    long long partial = 0;
    long long reused = 0;
    double seconds = 0;  // wall time
};

// "22.40 MB -> 18.80 MB (83.90%)": sizes as the results grid writes them
// (HumanSize, no padding), the ratio as its TOTAL row does.
std::string SizesText(long long original, long long optimized);

// "914 files, 22.40 MB -> 18.80 MB (83.90%), 3 failed, 12 reused, 41.2 s":
// the sizes as SizesText writes them, the counts failed, kept, partial and reused only
// when not zero.
std::string SummaryLine(const TRunTally& tally);

// Seconds of processor time the program and its ended child processes (the
// plug-ins) have used so far.
double ProcessorSeconds();
