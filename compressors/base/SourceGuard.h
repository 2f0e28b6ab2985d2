#pragma once
// Every optimizer calls this before it replaces or removes its destination,
// so that a destination naming the source file itself (the same device and
// inode: another spelling, a hard link or a symbolic link) is never written.

#include <string>

// Throws FileError "Cannot create file "<destination>". The destination is the
// source file." when both paths name the same existing file; otherwise returns.
void EnsureNotSource(const std::string& source, const std::string& destination);
