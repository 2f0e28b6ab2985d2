#pragma once
// Finds the program a command line names, the way a Windows process start does.

#include <optional>
#include <string>
#include <vector>

// A name containing "/" is taken as a path. Any other name is looked for in
// the program's own folder (SupportDir(): the private folder of an installed
// program), then the current folder, then each PATH entry.
// Returns the path of an executable regular file, or nothing.
std::optional<std::string> FindProgram(const std::string& name);

// Splits the command line and resolves its program. An unquoted program name
// that contains blanks is tried blank by blank, shortest first ("a b c" as
// "a" with arguments "b c", then "a b" with "c", then "a b c"). The result's
// first element is the resolved program path; nothing when none is found.
std::optional<std::vector<std::string>> ResolveCommandLine(const std::string& commandLine);
