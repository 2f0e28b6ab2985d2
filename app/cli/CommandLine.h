#pragma once
// quorvan-optimize from its arguments to its exit status.

#include <memory>
#include <ostream>
#include <string>
#include <vector>

constexpr int kExitSuccess = 0;
constexpr int kExitFileFailed = 1;
constexpr int kExitUsage = 2;

class TRunControl;

// Runs the command line (arguments after the program name): the results table
// and the report's path go to `out`, warnings and errors to `err`, a file
// that failed as "<source>: <reason>". With `terminal` (err is one), a
// progress line is drawn on err unless --quiet. The run registers its
// plug-ins and temporary files with the control (one is made when none is
// given).
int RunCommandLine(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err,
                   std::shared_ptr<TRunControl> control = nullptr, bool terminal = false);
