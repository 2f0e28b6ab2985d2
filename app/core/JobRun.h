#pragma once
// One job as a worker runs it: its recorded output reused when an incremental
// run finds it still valid, else optimized (OptimizeJob) and, in an
// incremental run, recorded; the source's modification time given to the
// destination when asked.

#include <map>
#include <optional>
#include <string>

#include "app/core/OptimizeJob.h"
#include "app/core/OutputRecord.h"

struct TJobRun {
    TJobResult result;
    bool reused = false;                  // the output of an earlier run stands
    std::optional<TOutputRecord> record;  // an incremental run's record of the output
};

// Throws what OptimizeJob throws, and FileError when the source cannot be read
// for its hash or the destination's time cannot be set.
TJobRun RunJob(const TJob& job, const TLevels& levels, const TRunEnvironment& environment,
               const std::map<FileKind, std::string>& missingPlugins, const TJobExtras& extras);
