#pragma once
// Turns the command line's PATHs into the run's file list.

#include <stdexcept>
#include <string>
#include <vector>

// A PATH that does not exist or a folder that cannot be read.
class PathError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Each PATH in order: a folder gives the web files below it (see
// CollectWebFiles: recursive, sorted by path, folder links not followed);
// a file is taken as given. Throws PathError for a PATH that does not exist,
// is neither a regular file nor a folder, or a folder that cannot be read.
std::vector<std::string> ExpandPaths(const std::vector<std::string>& paths);
