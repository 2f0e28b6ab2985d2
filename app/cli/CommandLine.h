#pragma once
// quorvan-optimize from its arguments to its exit status.

#include <ostream>
#include <string>
#include <vector>

constexpr int kExitSuccess = 0;
constexpr int kExitFileFailed = 1;
constexpr int kExitUsage = 2;

// Runs the command line (arguments after the program name): the results table
// and the report's path go to `out`, warnings and errors to `err`.
int RunCommandLine(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err);
