#pragma once
// The command line of quorvan-optimize.

#include <cstdint>
#include <map>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "compressors/Optimizers.h"
#include "compressors/base/ToolLimits.h"

// A command line that cannot be run (exit status 2).
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct CliOptions {
    bool help = false;
    bool version = false;
    std::string outputDir;   // as given
    std::string reportPath;  // empty: no report
    std::string pluginDir;   // empty: plugins/ beside the program
    int toolTimeoutSeconds = kDefaultToolTimeoutSeconds;
    std::uint64_t toolMemoryBytes = DefaultToolMemoryBytes();
    TLevels levels;                                 // of every row of the optimizer table
    int jobs = 1;                                   // files optimized at once (default: the CPU cores)
    bool keepGoing = false;                         // a failing file does not end the run
    bool quiet = false;                             // no progress line, no table
    bool flat = false;                              // folders give their web files, flat into the output folder
    bool allowOverwrite = false;                    // two files may have one destination
    std::string jsonPath;                           // empty: no JSON results
    bool incremental = false;                       // reuse the outputs the manifest vouches for
    bool preserveTimes = false;                     // destinations get their sources' modification times
    bool dryRun = false;                            // print the plan, write nothing
    bool strict = false;                            // a partial page fails the run (exit status 1)
    std::vector<std::string> paths;
    // Standard streams, shards and merged results.
    std::string stdinName;                          // "-" reads this file from standard input
    int shardIndex = 0, shardCount = 0;             // --shard K/N; 0: the whole list
    bool mergeJson = false;                         // the PATHs are JSON results to join into --json
    // A configuration file, file selection and watching (ConfigFile.h, PathGlob.h, Watch.h).
    std::string configPath;            // --config; empty: quorvan.toml in the first site, if any
    std::vector<std::string> include;  // globs on the path below the site; none: every file
    std::vector<std::string> exclude;
    bool watch = false;          // keep optimizing what changes below the sites
    bool deleteOutputs = false;  // --delete: a deleted source's recorded output goes too
    std::set<std::string> given;  // the long options the command line gave ("--jobs")
};

// Parses the arguments after the program name (CLI11). With --help or
// --version nothing else is checked but that every option has its value.
// Throws UsageError naming the fault.
CliOptions ParseOptions(const std::vector<std::string>& arguments);

std::string UsageText();
