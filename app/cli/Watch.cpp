#include "app/cli/Watch.h"

#include <sys/stat.h>

#include <cerrno>
#include <exception>
#include <filesystem>

#include "app/Version.h"
#include "app/cli/FolderWatch.h"
#include "app/cli/ManifestFile.h"
#include "app/cli/RunSummary.h"
#include "app/core/BatchHost.h"
#include "app/core/FileFailure.h"
#include "app/core/OutputRecord.h"
#include "compressors/base/Files.h"

namespace fs = std::filesystem;

namespace {

// One line per file as its row is shown; the manifest brought up to date.
class TWatchLines : public TRunObserver {
public:
    TWatchLines(TManifestUpdate& manifest, std::ostream& out, std::ostream& err)
        : manifest_(manifest), out_(out), err_(err)
    {
    }
    void Finished(const TJob& job, const TFileOutcome& outcome) override { manifest_.Finished(job, outcome); }
    void Shown(const TJob& job, const TFileOutcome& outcome) override
    {
        if (outcome.failed) {
            err_ << job.source << ": " << outcome.error << "\n";
            return;
        }
        const TJobResult& result = outcome.result;
        out_ << job.source << ": "
             << SizesText(static_cast<long long>(result.originalSize), static_cast<long long>(result.optimizedSize));
        if (outcome.reused) out_ << ", reused";
        if (const std::string note = ResultNote(result); !note.empty()) out_ << ", " << note;
        out_ << std::endl;
    }

private:
    TManifestUpdate& manifest_;
    std::ostream& out_;
    std::ostream& err_;
};

// The source is gone: its output goes with --delete when we wrote it and it is unchanged since.
void SourceDeleted(const TListEntry& entry, const TWatchSetup& setup, bool deleteOutputs, TManifestUpdate& manifest,
                   std::ostream& out)
{
    const auto record = manifest.Records().find(entry.relative);
    if (record == manifest.Records().end()) return;  // never optimized (an editor's temporary file)
    const std::string destination = setup.outputDirText + entry.relative;
    out << entry.source << ": deleted";
    struct stat info {};
    if (::lstat(destination.c_str(), &info) != 0) {
        manifest.Forget(entry.relative);
        out << std::endl;
        return;
    }
    bool asWritten = false;
    try {
        std::uint64_t size = 0;
        asWritten = S_ISREG(info.st_mode) && HashFile(destination, &size) == record->second.outputHash &&
                    size == record->second.outputSize;
    } catch (const std::exception&) {
    }
    if (!deleteOutputs) {
        out << "; " << destination << " kept (--delete removes it)" << std::endl;
    } else if (!asWritten) {
        out << "; " << destination << " kept: changed since it was written" << std::endl;
    } else if (::unlink(destination.c_str()) == 0 || errno == ENOENT) {
        manifest.Forget(entry.relative);
        out << "; " << destination << " removed" << std::endl;
    } else {
        out << "; cannot remove " << destination << std::endl;
    }
}

}  // namespace

int WatchSites(const TWatchSetup& setup, const CliOptions& options, TManifestUpdate& manifest, std::ostream& out,
               std::ostream& err)
{
    const std::string outputDir = setup.outputDirText;
    const auto leftOut = [&outputDir](const std::string& folder) {
        std::error_code error;
        return fs::equivalent(folder, outputDir, error) || fs::exists(folder + kManifestName, error);
    };
    std::optional<TFolderWatch> watch;
    try {
        watch.emplace(setup.sites, leftOut);
    } catch (const std::exception& error) {
        err << "quorvan-optimize: " << error.what() << "\n";
        return 1;
    }
    out << "Watching " << setup.sites.size() << (setup.sites.size() == 1 ? " folder" : " folders")
        << " (Ctrl+C ends)" << std::endl;
    for (;;) {
        TRunRequest request;
        request.outputDirText = setup.outputDirText;
        request.environment = setup.environment;
        std::vector<TListEntry> deleted;
        for (const std::string& path : watch->Next()) {
            const std::string* site = nullptr;
            for (const std::string& root : setup.sites)
                if (path.compare(0, root.size(), root) == 0 && (!site || root.size() > site->size())) site = &root;
            if (!site) continue;
            TListEntry entry{path, path.substr(site->size())};
            if (!setup.filter.Takes(entry.relative)) continue;
            struct stat info {};
            if (::stat(path.c_str(), &info) == 0) {
                if (S_ISREG(info.st_mode)) request.entries.push_back(std::move(entry));
            } else if (errno == ENOENT) {
                deleted.push_back(std::move(entry));
            }
        }
        for (const TListEntry& entry : deleted) SourceDeleted(entry, setup, options.deleteOutputs, manifest, out);
        if (!request.entries.empty()) {
            TBatchHost host;
            host.levels = options.levels;
            TWatchLines lines(manifest, out, err);
            TRunOptions runOptions{options.jobs, true, &lines, {}};
            runOptions.extras.incremental = true;
            const TOutputRecords previous = manifest.Records();  // the run updates the manifest as files end
            runOptions.extras.previous = &previous;
            runOptions.extras.version = kVersion;
            runOptions.extras.preserveTimes = options.preserveTimes;
            runOptions.extras.copyFailed = options.keepGoing;
            try {
                PlanRequest(request);
                StartCompression(request, host, runOptions);
            } catch (const std::exception& error) {
                err << "quorvan-optimize: " << error.what() << "\n";
            }
        }
        if (request.entries.empty() && deleted.empty()) continue;
        try {
            WriteEntireFile(setup.manifestPath, ManifestText(manifest.Records()), setup.environment.control.get());
        } catch (const std::exception& error) {
            err << "quorvan-optimize: cannot write the manifest \"" << setup.manifestPath << "\": " << error.what()
                << "\n";
        }
    }
}
