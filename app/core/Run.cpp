#include "app/core/Run.h"

#include <chrono>
#include <iostream>
#include <map>
#include <set>
#include <utility>

#include "app/core/HumanSize.h"
#include "app/core/ProvedOutput.h"
#include "app/core/RunPlan.h"
#include "compressors/base/StaleTemporaries.h"

namespace {

constexpr int kColumns = 5;
constexpr std::chrono::milliseconds kPumpInterval{150};

// The temporary files that ended runs left in the folders this run writes to.
void RemoveLeftovers(const std::vector<TJob>& jobs)
{
    std::set<std::string> folders;
    for (const TJob& job : jobs) folders.insert(OutputFolderOf(job.destination));
    for (const std::string& folder : folders) RemoveStaleTemporaries(folder);
}

// What the plug-ins of the planned files start ahead of them (the script
// host's server), kept until the run ends.
std::vector<std::shared_ptr<void>> StartPluginsEarly(const std::vector<TJob>& jobs, const TLevels& levels,
                                                     const TRunEnvironment& environment)
{
    std::map<FileKind, std::size_t> files;
    for (const TJob& job : jobs) {
        if (!job.kind || !job.refusal.empty() || levels.Of(*job.kind) == 0) continue;
        ++files[job.kind];
        for (const std::string& name : job.kind->alsoUses)
            if (const FileKind used = OptimizerNamed(name); used && levels.Of(*used) > 0) ++files[used];
    }
    std::vector<std::shared_ptr<void>> started;
    for (const auto& [kind, count] : files)
        if (kind->startEarly)
            if (auto handle = kind->startEarly(environment, count)) started.push_back(std::move(handle));
    return started;
}

}  // namespace

void ResetResultGrid(TRunHost& host)
{
    host.SetRowCount(2);
    for (int column = 0; column < kColumns; ++column) host.SetCell(column, 1, "");
}

TCompressionRun::TCompressionRun(const TRunRequest& request, TRunHost& host, const TRunOptions& options,
                                 std::function<void()> wakeup)
    : host_(host), options_(options), thousands_(request.thousandsSeparator), decimal_(request.decimalSeparator)
{
    const int count = static_cast<int>(request.entries.size());
    if (count == 0) {
        empty_ = true;
        return;
    }
    host.SetRowCount(count + 2);
    host.SetProgress(0, count);

    environment_ = request.environment;
    if (!environment_.control) environment_.control = std::make_shared<TRunControl>();
    environment_.control->BeginRun();
    std::vector<TJob> jobs = request.jobs.size() == request.entries.size()
                                 ? request.jobs
                                 : PlaceJobs(request.entries, request.outputDirText);
    CheckDestinations(jobs, OutputFolderOf(request.outputDirText));
    outcomes_.resize(jobs.size());
    TJobExtras extras = options_.extras;
    extras.outputDirText = request.outputDirText;
    extras.copyFailed = extras.copyFailed && options_.keepGoing;
    files_ = std::make_unique<TFileRun>(std::move(jobs), environment_, options_.workers, std::move(wakeup),
                                        std::move(extras));
    RemoveLeftovers(files_->Jobs());
    startedEarly_ = StartPluginsEarly(files_->Jobs(), host.Levels(), environment_);
    if (options_.observer) options_.observer->Planned(files_->Jobs());
}

TCompressionRun::~TCompressionRun() = default;

bool TCompressionRun::Ended() const
{
    return empty_ || (files_->Running() == 0 && (stopping_ || !files_->CanStart()));
}

bool TCompressionRun::Step()
{
    if (empty_) return false;
    Publish();
    if (host_.StopRequested()) stopping_ = true;
    StartFiles();
    return !Ended();
}

void TCompressionRun::Wait()
{
    if (empty_ || files_->Running() == 0) return;
    const auto& pump = environment_.hooks.processMessages;
    if (!pump) {
        files_->Wait();
        return;
    }
    while (!files_->WaitFor(kPumpInterval)) pump();
}

void TCompressionRun::StartFiles()
{
    while (!stopping_ && files_->CanStart()) {
        if (environment_.control->Cancelled()) {
            stopping_ = cancelled_ = true;
            break;
        }
        if (options_.observer) options_.observer->Started(files_->Jobs()[files_->NextIndex()]);
        files_->Start(host_.Levels());
    }
}

void TCompressionRun::Publish()
{
    for (const std::string& notice : files_->TakeNotices()) {
        if (environment_.hooks.notify)
            environment_.hooks.notify(notice);
        else
            std::cerr << notice << '\n';
    }
    const std::vector<TJob>& jobs = files_->Jobs();
    for (TFileOutcome& outcome : files_->TakeFinished()) {
        if (outcome.cancelled) stopping_ = cancelled_ = true;
        if (outcome.failed && !options_.keepGoing) files_->StopAfter(outcome.index);
        if (!outcome.failed || (options_.keepGoing && !outcome.cancelled))
            host_.SetProgress(++finished_, static_cast<int>(outcomes_.size()));
        if (options_.observer) options_.observer->Finished(jobs[outcome.index], outcome);
        const std::size_t index = outcome.index;
        outcomes_[index] = std::make_unique<TFileOutcome>(std::move(outcome));
    }

    const std::string& thousands = thousands_;
    const std::string& decimal = decimal_;
    while (!halted_ && shown_ < outcomes_.size() && outcomes_[shown_]) {
        const TFileOutcome& outcome = *outcomes_[shown_];
        const TJob& job = jobs[shown_];
        const int row = static_cast<int>(shown_) + 1;
        host_.SetCell(1, row, job.source);
        if (outcome.cancelled) {  // the run ends with this row
            halted_ = true;
            break;
        }
        if (!outcome.failed) {
            const TJobResult& result = outcome.result;
            host_.SetCell(2, row, HumanSize(result.originalSize, thousands, decimal));
            host_.SetCell(3, row, HumanSize(result.optimizedSize, thousands, decimal));
            const std::string ratio = RatioText(result.optimizedSize, result.originalSize, decimal);
            const std::string note = ResultNote(result);
            host_.SetCell(4, row, note.empty() ? ratio : ratio + "; " + note);
            totalOriginal_ += result.originalSize;
            totalOptimized_ += result.optimizedSize;
        } else if (options_.keepGoing) {
            host_.SetCell(3, row, "failed: " + outcome.error + (outcome.copiedUnchanged ? "; copied unchanged" : ""));
            passed_.emplace_back(job.source, outcome.error);
        } else {
            failure_ = std::make_unique<TFileFailure>(
                job.source, outcome.error + (outcome.copiedUnchanged ? "; copied unchanged" : ""));
            halted_ = true;
        }
        if (options_.observer) options_.observer->Shown(job, outcome);
        outcomes_[shown_].reset();
        ++shown_;
    }
}

std::vector<TFileFailure> TCompressionRun::Finish()
{
    if (empty_) return {};
    while (!Ended()) {
        Wait();
        Step();
    }
    if (failure_) throw TFileFailure(*failure_);
    if (cancelled_) throw RunCancelled();
    if (stopping_ && shown_ < outcomes_.size()) return passed_;
    if (host_.StopRequested()) return passed_;
    const int total = static_cast<int>(outcomes_.size()) + 1;
    host_.SetCell(3, total, "TOTAL");
    host_.SetCell(4, total, RatioText(totalOptimized_, totalOriginal_, decimal_));
    return passed_;
}

std::vector<TFileFailure> StartCompression(const TRunRequest& request, TRunHost& host, const TRunOptions& options)
{
    TCompressionRun run(request, host, options);
    while (run.Step()) run.Wait();
    return run.Finish();
}

std::vector<TDestinationClash> PlanRequest(TRunRequest& request)
{
    request.jobs = PlaceJobs(request.entries, request.outputDirText);
    return FindClashes(request.jobs);
}
