#include "app/core/JobRun.h"

#include <stdexcept>

#include "compressors/base/PlainCopy.h"

TJobRun PrepareJob(const TJob& job, const TLevels& levels, const std::map<FileKind, std::string>& missingPlugins,
                   const TJobExtras& extras)
{
    if (!job.refusal.empty()) throw std::runtime_error(job.refusal);
    TJobRun run;
    if (!extras.incremental) return run;
    run.recordName = RecordName(job.destination, extras.outputDirText);
    TOutputRecord now = SourceRecord(job.source);
    now.kind = KindText(job.kind);
    now.levels = AppliedLevels(job.kind, levels, missingPlugins.count(job.kind) > 0);
    now.version = extras.version;
    if (extras.previous && !run.recordName.empty()) {
        const auto recorded = extras.previous->find(run.recordName);
        if (recorded != extras.previous->end()) {
            if (auto result = Reusable(recorded->second, now, job.destination)) {
                run.result = *result;
                run.reused = true;
                run.record = recorded->second;
                return run;
            }
        }
    }
    run.record = now;
    return run;
}

void FinishJob(const TJob& job, TJobRun& run, const TJobExtras& extras)
{
    if (extras.preserveTimes) CopyModificationTime(job.source, job.destination);
    if (run.reused || !run.record) return;
    if (run.recordName.empty()) {
        run.record.reset();
        return;
    }
    TOutputRecord& now = *run.record;
    now.outputHash = HashFile(job.destination, &now.outputSize);
    now.originalSize = static_cast<std::uint64_t>(run.result.originalSize);
    now.level = run.result.level;
    now.copied = run.result.copied;
    now.kept = run.result.kept;
    now.partial = !run.result.partial.empty();
}

bool CopyAfterFailure(const TJob& job, const TRunEnvironment& environment, const TJobExtras& extras) noexcept
{
    if (!job.refusal.empty()) return false;
    try {
        FileSize originalSize = 0, copiedSize = 0;
        PlainCopy(job.source, job.destination, originalSize, copiedSize, environment);
    } catch (...) {
        return false;
    }
    if (extras.preserveTimes) {
        try {
            CopyModificationTime(job.source, job.destination);
        } catch (...) {
            // the copy stands; its time is only a courtesy
        }
    }
    return true;
}
