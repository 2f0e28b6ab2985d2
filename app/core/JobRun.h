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

// After the job failed: its source copied unchanged to its destination
// (PlainCopy: a temporary file renamed into place), given the source's time
// when the extras ask for it. Nothing for a refused destination. True when
// the copy was made; never throws. Such a copy is never recorded: an
// incremental run optimizes the file again.
bool CopyAfterFailure(const TJob& job, const TRunEnvironment& environment, const TJobExtras& extras) noexcept;
