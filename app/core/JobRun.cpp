#include "app/core/JobRun.h"

#include <stdexcept>

#include "compressors/base/PlainCopy.h"

TJobRun RunJob(const TJob& job, const TLevels& levels, const TRunEnvironment& environment,
               const std::map<FileKind, std::string>& missingPlugins, const TJobExtras& extras)
{
    if (!job.refusal.empty()) throw std::runtime_error(job.refusal);
    TJobRun run;
    std::string name;
    TOutputRecord now;
    if (extras.incremental) {
        name = RecordName(job.destination, extras.outputDirText);
        now = SourceRecord(job.source);
        now.kind = KindText(job.kind);
        now.levels = AppliedLevels(job.kind, levels, missingPlugins.count(job.kind) > 0);
        now.version = extras.version;
        if (extras.previous && !name.empty()) {
            const auto recorded = extras.previous->find(name);
            if (recorded != extras.previous->end()) {
                if (auto result = Reusable(recorded->second, now, job.destination)) {
                    run.result = *result;
                    run.reused = true;
                    run.record = recorded->second;
                }
            }
        }
    }
    if (!run.reused) run.result = OptimizeJob(job, levels, environment, missingPlugins);
    if (extras.preserveTimes) CopyModificationTime(job.source, job.destination);
    if (extras.incremental && !run.reused && !name.empty()) {
        now.outputHash = HashFile(job.destination, &now.outputSize);
        now.originalSize = static_cast<std::uint64_t>(run.result.originalSize);
        now.level = run.result.level;
        now.copied = run.result.copied;
        now.kept = run.result.kept;
        run.record = now;
    }
    return run;
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
