#pragma once
// What an incremental run remembers of each output, and how it decides that an
// output may be kept: the source as it was (size, modification time, content
// hash), the kind and the levels that applied, the program's version, and the
// output as it was written (size, content hash). An output is reused only when
// all of these still hold; a touched source (a new modification time) is
// optimized again even when its bytes did not change.

#include <cstdint>
#include <map>
#include <optional>
#include <string>

#include "app/core/FileKinds.h"
#include "app/core/OptimizeJob.h"

// The name of the incremental manifest in an output folder.
constexpr const char* kManifestName = ".quorvan-manifest.json";

struct TOutputRecord {
    std::uint64_t sourceSize = 0;
    std::int64_t sourceTimeNs = 0;  // modification time, nanoseconds since the epoch
    std::uint64_t sourceHash = 0;
    std::string kind;     // KindText
    std::string levels;   // AppliedLevels
    std::string version;  // the program's
    std::uint64_t outputSize = 0;
    std::uint64_t outputHash = 0;
    // The row the file showed.
    std::uint64_t originalSize = 0;
    int level = -1;  // -1: copied unchanged
    bool copied = false;
    std::string kept;      // why the source's bytes stand (TJobResult::kept); empty: they do not
    bool partial = false;  // the output left scripts as written: never reused
};

// By destination below the output folder ("css/style.css").
using TOutputRecords = std::map<std::string, TOutputRecord>;

// What a run adds to each job beyond optimizing it.
struct TJobExtras {
    bool incremental = false;
    const TOutputRecords* previous = nullptr;  // the records of the last run; may be null
    std::string version;                       // the program's, recorded
    std::string outputDirText;                 // the destinations' prefix the records' names follow
    bool preserveTimes = false;                // the destination gets the source's modification time
    // A file that fails gets its source copied unchanged to its destination
    // (CopyAfterFailure); a keep-going run's option.
    bool copyFailed = false;
};

// The name of the kind's row ("css", "gif" ...); "other" for none.
const char* KindText(FileKind kind);

// The levels that apply to a file of this kind, as recorded: "html=2 js=3 css=2" for a
// page, "css=2" for a style sheet ...; "" for a kind without optimizer; "copy" for a kind
// whose plug-in is missing (it is copied unchanged).
std::string AppliedLevels(FileKind kind, const TLevels& levels, bool pluginMissing);

// The XXH3-64 hash of the file's bytes; `size`, when given, gets their count. Throws FileError.
std::uint64_t HashFile(const std::string& path, std::uint64_t* size = nullptr);

// The source's size, modification time and hash as a record holds them (the other fields empty).
TOutputRecord SourceRecord(const std::string& path);

// The record's result when it may stand for optimizing the job again: `now` (SourceRecord of
// the source with kind, levels and version filled) matches it, and the destination is there
// with the recorded size and hash.
std::optional<TJobResult> Reusable(const TOutputRecord& recorded, const TOutputRecord& now,
                                   const std::string& destination);

// The destination below the output folder; empty when it does not start with outputDirText.
std::string RecordName(const std::string& destination, const std::string& outputDirText);

// Gives the destination the source's modification time (when it differs). Throws FileError.
void CopyModificationTime(const std::string& source, const std::string& destination);
