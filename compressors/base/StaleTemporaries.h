#pragma once
// Temporary files left behind by a process that ended before it could remove
// them (killed, crashed, the machine stopped).

#include <string>
#include <string_view>

// Removes from `folder` (with its trailing "/") the temporary files that
// CreateUniqueFile named ".qwo-<pid>-<hex>..." or "_temporary.<pid>-<hex>..."
// whose process no longer exists. Files of live processes (another run, this
// one), other names, folders and links are left alone; a folder that cannot be
// read is skipped. Returns how many were removed; never throws.
int RemoveStaleTemporaries(const std::string& folder) noexcept;

// Whether `name` is one of CreateUniqueFile's temporary file names
// (".qwo-<pid>-<hex>..." or "_temporary.<pid>-<hex>...").
bool IsTemporaryName(std::string_view name) noexcept;
