#pragma once
// Clears the way for a tool that writes a destination file itself.

#include <string>

// Removes an existing destination so that a tool which writes nothing leaves
// no stale file to be measured. Refuses (FileError) when the destination is
// the source file, or when an existing destination cannot be removed.
void RemoveDestination(const std::string& source, const std::string& destination);
