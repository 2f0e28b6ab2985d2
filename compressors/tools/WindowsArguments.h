#pragma once
// Command lines as one string, split by the Windows rules: blanks and tabs
// separate arguments, double quotes group, and backslashes escape a double
// quote (2n backslashes + quote: n backslashes and a grouping quote; 2n+1
// backslashes + quote: n backslashes and a literal quote; backslashes before
// anything else are literal). Inside a quoted group, "" is a literal quote.
// The first argument follows the program-name rule: quoted up to the next
// quote with no escapes, otherwise up to the first blank.

#include <cstddef>
#include <string>
#include <vector>

// Splits arguments by the argument rules, starting at text[start].
std::vector<std::string> SplitArguments(const std::string& text, std::size_t start = 0);

// The whole command line: program name, then the arguments.
std::vector<std::string> SplitCommandLine(const std::string& commandLine);

// The argument between double quotes so that SplitArguments gives it back
// unchanged. An argument without double quotes and without trailing
// backslashes is simply wrapped: "<argument>".
std::string QuoteArgument(const std::string& argument);

bool IsCommandLineBlank(char c);
