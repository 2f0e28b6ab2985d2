#pragma once
// Replaces a file by new bytes, whole or not at all.

#include <string>
#include <string_view>

namespace jhead {

// Writes `bytes` to a new file beside the one `path` names (through symbolic
// links), with its permissions, and renames it over that file. SIGINT,
// SIGTERM and SIGHUP remove the new file while it has a name. Throws
// Failure("cannot rewrite the file"), the file untouched.
void ReplaceFile(const std::string& path, std::string_view bytes);

}  // namespace jhead
