#pragma once
// The records of an incremental run, kept as JSON in the output folder.

#include <string>

#include "app/core/OutputRecord.h"

// {"format": 2, "files": {NAME: {"source_size", "source_mtime_ns", "source_hash",
// "kind", "levels", "version", "output_size", "output_hash", "original", "level",
// "copied", "kept"}, ...}}, the names sorted; hashes as 16 hex digits. "kept"
// (the image's output did not match, its source stands) may be absent: false.
std::string ManifestText(const TOutputRecords& records);

// The records of a manifest's text; none when it has an older format (its
// hashes are another function's). Throws JsonError when it is damaged (not
// JSON, an unknown format, a missing or ill-typed field).
TOutputRecords ParseManifest(const std::string& text);
