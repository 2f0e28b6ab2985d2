#pragma once
// One job as a worker runs it: PrepareJob, then OptimizeJob unless the
// recorded output of an earlier incremental run is reused, then FinishJob.

#include <map>
#include <optional>
#include <string>

#include "app/core/OptimizeJob.h"
#include "app/core/OutputRecord.h"

struct TJobRun {
    TJobResult result;
    bool reused = false;                  // the output of an earlier run stands
    std::optional<TOutputRecord> record;  // an incremental run's record of the output
    std::string recordName;               // its name in the manifest; empty: not recorded
};

// An incremental run's look at the job before it is optimized: reused when
// the recorded output still stands for the source, the levels and the
// version; otherwise the source's part of its new record. Throws
// std::runtime_error for a refused destination, FileError when the source
// cannot be read for its hash.
TJobRun PrepareJob(const TJob& job, const TLevels& levels, const std::map<FileKind, std::string>& missingPlugins,
                   const TJobExtras& extras);

// After the job was optimized or reused: the source's modification time given
// to the destination when asked, the new output recorded. Throws FileError.
void FinishJob(const TJob& job, TJobRun& run, const TJobExtras& extras);

// After the job failed: its source copied unchanged to its destination
// (PlainCopy: a temporary file renamed into place), given the source's time
// when the extras ask for it. Nothing for a refused destination. True when
// the copy was made; never throws. Such a copy is never recorded: an
// incremental run optimizes the file again.
bool CopyAfterFailure(const TJob& job, const TRunEnvironment& environment, const TJobExtras& extras) noexcept;
