#pragma once
// The run's plan: every file's destination, known and checked before the
// first file is written. A destination is refused when writing it could
// destroy a listed source or land outside the output folder:
//   - it is a listed source (the same device and inode, links followed: the
//     source itself, another spelling, a hard link, a symbolic link to it);
//   - it resolves outside the output folder through a symbolic link (a folder
//     link below the output folder, or a link as the file itself, dangling
//     or not).
// A report path that is a listed source is refused the same way. The output
// folder itself may be reached through links.

#include <string>
#include <vector>

#include "app/core/FileKinds.h"

struct TJob {
    std::string source;       // as listed
    std::string destination;  // where its result goes
    FileKind kind;            // by the exact extension of the source
    std::string refusal;      // the fault's message when the destination is refused; empty otherwise
    // The folders the run creates before writing (CreateOutputFolders): "css/img"
    // below folderBase (the output folder); empty when there are none.
    std::string folderBase;
    std::string newFolders;
};

// One entry of a run's list: the source as listed, and its destination below
// the output folder ("css/style.css": the site placement) or empty (the flat
// placement: the file name).
struct TListEntry {
    std::string source;
    std::string relative;
};

// Two or more different files that one destination would receive (a later one
// replacing the earlier), in list order. The same file listed twice is no clash.
struct TDestinationClash {
    std::string destination;
    std::vector<std::string> sources;
};

// The folder an output directory text writes into: the text up to its last
// "/"; "./" when it has none (the destinations are then bare names).
std::string OutputFolderOf(const std::string& outputDirText);

// The jobs of a run placed, not yet checked: an entry without relative
// destination goes to the output directory text followed directly by the
// source's file name (the window's placement); one with a relative
// destination goes to the output
// directory text followed by it, its folders created by the run (a relative
// destination that is absolute, empty or holds an empty, "." or ".." part is
// refused). No file-system access.
std::vector<TJob> PlaceJobs(const std::vector<TListEntry>& entries, const std::string& outputDirText);

// The destinations that would receive more than one file, in the order of
// their first job. The window asks before such a run; the command line refuses it.
std::vector<TDestinationClash> FindClashes(const std::vector<TJob>& jobs);

// Fills each job's refusal that is still empty (the jobs' destinations as they stand, written into
// outputFolder or below it).
void CheckDestinations(std::vector<TJob>& jobs, const std::string& outputFolder);

// The fault's message when a report at `path` would replace a listed source;
// empty when it may be written.
std::string ReportRefusal(const std::string& path, const std::vector<std::string>& sources);

// A file the run writes besides the jobs' destinations (the report, the JSON
// results, the manifest): what it is and its path.
struct TRunOutput {
    std::string what;  // "the report"
    std::string path;
};

// The first clash among the run's outputs: one that is a job's destination or
// another output (paths compared with their links resolved), named with both
// files; empty when there is none.
std::string RunOutputClash(const std::vector<TRunOutput>& outputs, const std::vector<TJob>& jobs);
