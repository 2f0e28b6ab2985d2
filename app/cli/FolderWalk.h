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

// True for the extensions the window's open dialog offers (.css .js .htm
// .html .gif .jpg .jpeg .jpe .png), in any letter case as that dialog matches.
bool IsWebFileName(const std::string& path);

// Each PATH in order: a folder gives the web files below it, recursively,
// sorted by path (folder links are not followed); anything else is taken as
// given. Throws PathError for a PATH that does not exist.
std::vector<std::string> ExpandPaths(const std::vector<std::string>& paths);
