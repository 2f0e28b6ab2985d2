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
};

// The folder an output directory text writes into: the text up to its last
// "/"; "./" when it has none (the destinations are then bare names).
std::string OutputFolderOf(const std::string& outputDirText);

// The jobs of a run with the window's placement: the output directory text
// followed directly by the source's file name; every destination checked.
std::vector<TJob> PlanFlatRun(const std::vector<std::string>& sources, const std::string& outputDirText);

// Fills each job's refusal (the jobs' destinations as they stand, written into
// outputFolder or below it).
void CheckDestinations(std::vector<TJob>& jobs, const std::string& outputFolder);

// The fault's message when a report at `path` would replace a listed source;
// empty when it may be written.
std::string ReportRefusal(const std::string& path, const std::vector<std::string>& sources);
