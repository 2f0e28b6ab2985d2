#include "app/cli/CommandLine.h"

#include <filesystem>

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <exception>
#include <optional>

#include "app/Version.h"
#include "app/cli/ConfigFile.h"
#include "app/cli/DryRun.h"
#include "app/cli/FolderWalk.h"
#include "app/cli/JsonMerge.h"
#include "app/cli/JsonResults.h"
#include "app/cli/ManifestFile.h"
#include "app/cli/ManifestUpdate.h"
#include "app/cli/Options.h"
#include "app/cli/PathGlob.h"
#include "app/cli/ProgressLine.h"
#include "app/cli/RunSummary.h"
#include "app/cli/Shard.h"
#include "app/cli/StandardStreams.h"
#include "app/cli/TextTable.h"
#include "app/cli/Watch.h"
#include "app/core/BatchHost.h"
#include "app/core/CreateOutputFolder.h"
#include "app/core/FileFailure.h"
#include "app/core/PluginCheck.h"
#include "app/core/Report.h"
#include "app/core/Run.h"
#include "app/core/RunPlan.h"
#include "compressors/base/Files.h"

namespace {

constexpr const char* kProgram = "quorvan-optimize";

std::string WithSlash(std::string folder)
{
    if (folder.back() != '/') folder += '/';
    return folder;
}

int UsageFailure(std::ostream& err, const std::string& message)
{
    err << kProgram << ": " << message << "\n"
        << "Try '" << kProgram << " --help' for more information.\n";
    return kExitUsage;
}

// A command-line kind's plug-in (an optional tool) is named only when the run
// has its files.
void WarnMissingPlugins(const std::string& pluginDir, const std::vector<TJob>& jobs, std::ostream& err)
{
    for (const auto& plugin : PluginFiles())
        if (!PluginPresent(pluginDir, plugin.name) &&
            (plugin.kind->inWindow ||
             std::any_of(jobs.begin(), jobs.end(), [&](const TJob& job) { return job.kind == plugin.kind; })))
            err << kProgram << ": warning: plug-in \"" << plugin.name << "\" not found in " << pluginDir << "\n";
}

// The refusal of a run whose destinations clash; empty when none do.
std::string ClashText(const std::vector<TDestinationClash>& clashes)
{
    if (clashes.empty()) return {};
    std::string text = std::to_string(clashes.size()) +
                       (clashes.size() == 1 ? " destination would" : " destinations would") +
                       " receive more than one file (--allow-overwrite lets the later replace the earlier):\n";
    for (const TDestinationClash& clash : clashes) {
        text += "  " + clash.destination + ":";
        for (const std::string& source : clash.sources) text += "\n    " + source;
        text += "\n";
    }
    text.pop_back();
    return text;
}

// The observers of one command-line run, in turn.
class TObservers : public TRunObserver {
public:
    std::vector<TRunObserver*> list;
    void Planned(const std::vector<TJob>& jobs) override
    {
        for (TRunObserver* o : list) o->Planned(jobs);
    }
    void Started(const TJob& job) override
    {
        for (TRunObserver* o : list) o->Started(job);
    }
    void Finished(const TJob& job, const TFileOutcome& outcome) override
    {
        for (TRunObserver* o : list) o->Finished(job, outcome);
    }
    void Shown(const TJob& job, const TFileOutcome& outcome) override
    {
        for (TRunObserver* o : list) o->Shown(job, outcome);
    }
};

// The images whose output did not match, so that their sources were written
// (counted), and the other files kept or partial (listed with their notes).
class TNotedRows : public TRunObserver {
public:
    int count = 0;
    std::vector<std::string> noted;  // "SOURCE: kept: ..." or "SOURCE: partial: ..."
    int partial = 0;
    void Shown(const TJob& job, const TFileOutcome& outcome) override
    {
        if (outcome.failed) return;
        const TJobResult& result = outcome.result;
        if (result.kept == kOutputDidNotMatch)
            ++count;
        else if (const std::string note = ResultNote(result); !note.empty())
            noted.push_back(job.source + ": " + note);
        partial += !result.partial.empty();
    }
};

// The run's environment: the plug-in folder given (else the one beside the
// program), the plug-in limits, notices to `err` (the progress line blanked
// first); the run's waits tick the progress line.
TRunEnvironment CommandLineEnvironment(const CliOptions& options, std::ostream& err,
                                       std::shared_ptr<TRunControl> control, std::optional<TProgressLine>& progress)
{
    TRunEnvironment environment;
    if (!options.pluginDir.empty()) environment.pluginDir = WithSlash(options.pluginDir);
    environment.hooks.notify = [&err, &progress](const std::string& message) {
        if (progress) progress->Clear();
        err << kProgram << ": " << message << "\n";
    };
    environment.hooks.processMessages = [&progress] {
        if (progress) progress->Tick();
    };
    environment.toolLimits = {options.toolTimeoutSeconds, options.toolMemoryBytes};
    environment.control = control ? std::move(control) : std::make_shared<TRunControl>();
    // Only the benchmark turns the image check off, to measure what it costs.
    const char* noCheck = std::getenv("QWO_NO_VERIFY");
    environment.proveImages = !(noCheck && std::string(noCheck) == "1");
    return environment;
}

// The plan printed (DryRun.h), the clashes refused as a run refuses them.
int DryRun(const CliOptions& options, std::vector<TJob> jobs, const std::string& clashes,
           const std::vector<std::string>& excluded, std::ostream& out, std::ostream& err)
{
    const std::string outputDir = WithSlash(options.outputDir);
    TJobExtras extras;
    extras.incremental = options.incremental;
    extras.version = kVersion;
    extras.outputDirText = outputDir;
    TOutputRecords records;
    if (options.incremental) {
        records = LoadManifest(outputDir + kManifestName, err);
        extras.previous = &records;
    }
    const std::string pluginDir = options.pluginDir.empty() ? PluginDir() : WithSlash(options.pluginDir);
    CheckDestinations(jobs, OutputFolderOf(outputDir));
    const int refused = PrintPlan(jobs, options.levels, MissingPlugins(pluginDir), extras, out);
    PrintLeftOut(excluded, out);
    if (!clashes.empty()) return UsageFailure(err, clashes);
    return refused > 0 ? kExitFileFailed : kExitSuccess;
}

// --watch needs sites, an incremental run and real writes; --delete is its option.
void CheckWatchOptions(CliOptions& options)
{
    if (options.deleteOutputs && !options.watch) throw UsageError("--delete needs --watch");
    if (!options.watch) return;
    if (options.dryRun) throw UsageError("--watch cannot be used with --dry-run");
    if (options.flat) throw UsageError("--watch cannot be used with --flat");
    if (std::none_of(options.paths.begin(), options.paths.end(),
                     [](const std::string& path) { return std::filesystem::is_directory(path); }))
        throw UsageError("--watch needs a folder PATH (a site)");
    options.incremental = true;
}

double Seconds(std::chrono::steady_clock::time_point since)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

// The run's members of its JSON results.
TJsonRun JsonRun(const CliOptions& options, double wallSeconds)
{
    TJsonRun run;
    run.version = kVersion;
    run.levels = nlohmann::ordered_json::object();
    for (const FileKind row : Optimizers())
        if (!row->entries.empty()) run.levels[row->name] = static_cast<int>(options.levels.Of(*row));
    if (options.shardCount > 0) run.shard = std::to_string(options.shardIndex) + "/" + std::to_string(options.shardCount);
    run.wallSeconds = wallSeconds;
    run.cpuSeconds = ProcessorSeconds();
    return run;
}

// --merge-json: the parts joined into --json, the summary line on `out`.
int MergeJson(const CliOptions& options, std::ostream& out, std::ostream& err)
{
    try {
        const TMergedJson merged = MergeJsonFiles(options.paths);
        WriteEntireFile(options.jsonPath, merged.text);
        out << SummaryLine(merged.tally) << "\n";
        return kExitSuccess;
    } catch (const std::exception& error) {
        err << kProgram << ": " << error.what() << "\n";
        return kExitFileFailed;
    }
}

// A run of parsed options over their PATHs; `shownAs` names the one file
// in the table (standard input's NAME) when not empty.
int RunParsed(const CliOptions& options, std::ostream& out, std::ostream& err, std::shared_ptr<TRunControl> control,
              bool terminal, const std::string& shownAs)
{
    const auto started = std::chrono::steady_clock::now();
    TRunRequest request;
    std::vector<TListEntry>& entries = request.entries;
    std::vector<std::string> excluded;  // by --include/--exclude
    try {
        std::vector<std::string> leftOut;
        entries = ExpandPaths(options.paths, options.flat, options.outputDir, &leftOut);
        entries = FilteredEntries(std::move(entries), {options.include, options.exclude}, excluded);
        if (!leftOut.empty()) {
            std::sort(leftOut.begin(), leftOut.end());
            std::string names;
            for (const std::string& folder : leftOut) names += (names.empty() ? "\"" : ", \"") + folder + "\"";
            err << kProgram << ": left out of the site (an output folder): " << names << "\n";
        }
    } catch (const std::exception& error) {
        return UsageFailure(err, error.what());
    }
    if (entries.empty()) return UsageFailure(err, "no files to optimize");
    if (options.shardCount > 0) entries = ShardEntries(entries, {options.shardIndex, options.shardCount});
    request.outputDirText = WithSlash(options.outputDir);
    const std::vector<TDestinationClash> clashList = PlanRequest(request);
    const std::string clashes = options.allowOverwrite ? std::string() : ClashText(clashList);
    if (options.dryRun) return DryRun(options, request.jobs, clashes, excluded, out, err);
    if (!clashes.empty()) return UsageFailure(err, clashes);
    const std::string manifestPath = options.incremental ? request.outputDirText + kManifestName : std::string();
    const std::string outputClash = RunOutputClash(
        {{"the report", options.reportPath}, {"the JSON file", options.jsonPath}, {"the manifest", manifestPath}},
        request.jobs);
    if (!outputClash.empty()) return UsageFailure(err, outputClash);

    try {
        CreateOutputFolder(request.outputDirText);
    } catch (const std::exception& error) {
        err << kProgram << ": " << error.what() << "\n";
        return kExitFileFailed;
    }
    TBatchHost host;
    host.levels = options.levels;
    std::optional<TProgressLine> progress;
    request.environment = CommandLineEnvironment(options, err, std::move(control), progress);
    const TRunEnvironment& environment = request.environment;
    WarnMissingPlugins(environment.pluginDir, request.jobs, err);
    // The report, the JSON file and the manifest are destinations too: they never replace a listed source.
    std::vector<std::string> sources;
    for (const TListEntry& entry : entries) sources.push_back(entry.source);
    for (const std::string& path : {options.reportPath, options.jsonPath, manifestPath}) {
        if (path.empty()) continue;
        const std::string refusal = ReportRefusal(path, sources);
        if (!refusal.empty()) {
            err << kProgram << ": " << refusal << "\n";
            return kExitFileFailed;
        }
    }

    TObservers observers;
    if (terminal && !options.quiet) {
        progress.emplace(err, [] { return TerminalWidth(STDERR_FILENO); });
        observers.list.push_back(&*progress);
    }
    TJsonResults json;  // also counts for the summary line
    json.keepFiles = !options.jsonPath.empty();
    observers.list.push_back(&json);
    std::optional<TManifestUpdate> manifest;
    if (options.incremental) {
        manifest.emplace(LoadManifest(manifestPath, err), request.outputDirText);
        observers.list.push_back(&*manifest);
    }
    TNotedRows kept;
    observers.list.push_back(&kept);
    TRunOptions runOptions{options.jobs, options.keepGoing, &observers, {}};
    runOptions.extras.incremental = options.incremental;
    // The workers read the records the run started with while the manifest,
    // on this thread, takes in the files that end: each its own map.
    const TOutputRecords previous = manifest ? manifest->Records() : TOutputRecords();
    runOptions.extras.previous = manifest ? &previous : nullptr;
    runOptions.extras.version = kVersion;
    runOptions.extras.preserveTimes = options.preserveTimes;
    runOptions.extras.copyFailed = options.keepGoing;

    int status = kExitSuccess;
    ResetResultGrid(host);
    try {
        const std::vector<TFileFailure> failures = StartCompression(request, host, runOptions);
        if (progress) progress->Clear();
        for (const TFileFailure& failure : failures) err << failure.Source() << ": " << failure.what() << "\n";
        if (!failures.empty()) status = kExitFileFailed;
    } catch (const TFileFailure& failure) {
        if (progress) progress->Clear();
        err << failure.Source() << ": " << failure.what() << "\n";
        status = kExitFileFailed;
    } catch (const std::exception& error) {
        if (progress) progress->Clear();
        err << kProgram << ": " << error.what() << "\n";
        status = kExitFileFailed;
    }
    if (kept.count > 0)
        err << kept.count << (kept.count == 1 ? " image" : " images") << " kept: output did not match\n";
    for (const std::string& line : kept.noted) err << line << "\n";
    if (options.strict && kept.partial > 0) status = kExitFileFailed;
    if (manifest) {
        try {
            WriteEntireFile(manifestPath, ManifestText(manifest->Records()), environment.control.get());
        } catch (const std::exception& error) {
            err << kProgram << ": cannot write the manifest \"" << manifestPath << "\": " << error.what() << "\n";
            status = kExitFileFailed;
        }
    }
    if (!shownAs.empty() && host.grid.RowCount() > 1) host.grid.SetCell(1, 1, shownAs);  // column 1: the file name
    if (!options.quiet) out << FormatTable(host.grid);

    if (!options.reportPath.empty()) {
        try {
            WriteReport(host.grid, options.reportPath, environment.control.get());
            if (!options.quiet) out << "Report: " << options.reportPath << "\n";
        } catch (const std::exception& error) {
            err << kProgram << ": cannot write the report \"" << options.reportPath << "\": " << error.what() << "\n";
            status = kExitFileFailed;
        }
    }
    if (!options.jsonPath.empty()) {
        try {
            WriteEntireFile(options.jsonPath, json.Text(JsonRun(options, Seconds(started))),
                            environment.control.get());
        } catch (const std::exception& error) {
            err << kProgram << ": cannot write the JSON file \"" << options.jsonPath << "\": " << error.what() << "\n";
            status = kExitFileFailed;
        }
    }
    if (options.quiet) {
        TRunTally tally = json.Tally();
        tally.seconds = Seconds(started);
        out << SummaryLine(tally) << "\n";
    }
    if (options.watch) {
        TWatchSetup setup{{}, request.outputDirText, manifestPath, {options.include, options.exclude}, environment};
        for (const std::string& path : options.paths)
            if (std::filesystem::is_directory(path)) setup.sites.push_back(WithSlash(path));
        out << std::flush;
        return WatchSites(setup, options, *manifest, out, err);
    }
    return status;
}

}  // namespace

int RunCommandLine(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err,
                   std::shared_ptr<TRunControl> control, bool terminal)
{
    CliOptions options;
    try {
        options = ParseOptions(arguments);
        if (!options.help && !options.version && !options.mergeJson) {
            ApplyConfigFile(options);
            CheckWatchOptions(options);
        }
    } catch (const std::exception& error) {
        return UsageFailure(err, error.what());
    }
    if (options.help) {
        out << UsageText();
        return kExitSuccess;
    }
    if (options.version) {
        out << kProgram << " (Quorvan Web Optimizer) " << kVersion << "\n";
        return kExitSuccess;
    }
    if (options.mergeJson) return MergeJson(options, out, err);
    if (!options.stdinName.empty()) {
        const auto run = [&control](const CliOptions& fileOptions, std::ostream& table, std::ostream& notes,
                                    const std::string& shownAs) {
            return RunParsed(fileOptions, table, notes, control, false, shownAs);
        };
        return RunStandardStreams(options, out, err, control, run);
    }
    return RunParsed(options, out, err, std::move(control), terminal, {});
}
