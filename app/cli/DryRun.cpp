#include "app/cli/DryRun.h"

#include <exception>

namespace {

enum class Action { Optimize, Copy, Reuse, Refused };

bool Reused(const TJob& job, const TLevels& levels, bool pluginMissing, const TJobExtras& extras)
{
    if (!extras.incremental || !extras.previous) return false;
    const auto recorded = extras.previous->find(RecordName(job.destination, extras.outputDirText));
    if (recorded == extras.previous->end()) return false;
    try {
        TOutputRecord now = SourceRecord(job.source);
        now.kind = KindText(job.kind);
        now.levels = AppliedLevels(job.kind, levels, pluginMissing);
        now.version = extras.version;
        return Reusable(recorded->second, now, job.destination).has_value();
    } catch (const std::exception&) {
        return false;  // the run will tell why the source cannot be read
    }
}

}  // namespace

int PrintPlan(const std::vector<TJob>& jobs, const TLevels& levels,
              const std::map<FileKind, std::string>& missingPlugins, const TJobExtras& extras, std::ostream& out)
{
    int counts[4] = {0, 0, 0, 0};
    for (const TJob& job : jobs) {
        const bool missing = missingPlugins.count(job.kind) > 0 && job.kind->plugin;
        Action action = Action::Optimize;
        if (!job.refusal.empty())
            action = Action::Refused;
        else if (Reused(job, levels, missing, extras))
            action = Action::Reuse;
        else if (!job.kind || missing)
            action = Action::Copy;
        ++counts[static_cast<int>(action)];
        out << job.source << " -> " << job.destination << ": ";
        switch (action) {
        case Action::Optimize: out << "optimize\n"; break;
        case Action::Copy: out << "copy\n"; break;
        case Action::Reuse: out << "reuse\n"; break;
        case Action::Refused: out << "refused: " << job.refusal << "\n"; break;
        }
    }
    out << jobs.size() << (jobs.size() == 1 ? " file: " : " files: ") << counts[0] << " to optimize, " << counts[1]
        << " to copy, " << counts[2] << " to reuse, " << counts[3] << " refused; nothing written (dry run)\n";
    return counts[3];
}

void PrintLeftOut(const std::vector<std::string>& sources, std::ostream& out)
{
    if (sources.empty()) return;
    for (const std::string& source : sources) out << source << ": left out (--include/--exclude)\n";
    out << sources.size() << (sources.size() == 1 ? " file" : " files") << " left out, not written\n";
}
