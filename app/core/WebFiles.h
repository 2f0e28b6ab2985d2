#pragma once
// The web files below a folder, as a folder dropped on the window adds them.

#include <string>
#include <vector>

// True for a known extension (KnownExtensions) in any letter case, as the
// open dialog matches them.
bool IsWebFile(const std::string& path);

// Every regular file below `folder` (recursively, links to folders not
// followed) that IsWebFile, sorted by path. Throws std::runtime_error when the
// folder or one of its subfolders cannot be read.
std::vector<std::string> CollectWebFiles(const std::string& folder);
