#include "app/core/FileRun.h"

#include <algorithm>
#include <exception>
#include <filesystem>
#include <numeric>
#include <system_error>
#include <utility>

#include "app/core/JobRun.h"
#include "compressors/base/DeclinedSource.h"
#include "compressors/base/FileErrors.h"

namespace {

// List order for one worker; for more, the images with a destination of their
// own first, largest first (ties in list order), then the rest in list order.
std::vector<std::size_t> StartOrder(const std::vector<TJob>& jobs, int workers)
{
    std::vector<std::size_t> order(jobs.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    if (workers <= 1) return order;
    std::map<std::string, int> destinations;
    for (const TJob& job : jobs) ++destinations[job.destination];
    std::vector<std::uintmax_t> weight(jobs.size(), 0);  // 0: not an image started early
    for (std::size_t index = 0; index < jobs.size(); ++index) {
        const TJob& job = jobs[index];
        const bool image = job.kind && job.kind->picture.has_value();
        if (!image || destinations[job.destination] != 1) continue;
        std::error_code error;
        const std::uintmax_t size = std::filesystem::file_size(job.source, error);
        weight[index] = error ? 1 : size + 1;
    }
    std::stable_sort(order.begin(), order.end(),
                     [&weight](std::size_t a, std::size_t b) { return weight[a] > weight[b]; });
    return order;
}

}  // namespace

TFileRun::TFileRun(std::vector<TJob> jobs, const TRunEnvironment& environment, int workers,
                   std::function<void()> wakeup, TJobExtras extras)
    : jobs_(std::move(jobs)), environment_(environment), missingPlugins_(MissingPlugins(environment.pluginDir)),
      wakeup_(std::move(wakeup)), extras_(std::move(extras)), workers_(std::max(workers, 1))
{
    if (!environment_.control) environment_.control = std::make_shared<TRunControl>();
    if (!environment_.scriptBlocks) environment_.scriptBlocks = std::make_shared<TScriptBlockCache>();
    // One job at a time for a caller that blocks: the jobs run on its own
    // thread (no pool, no thread start), its message pump kept for their waits.
    onCaller_ = !wakeup_ && std::min<std::size_t>(static_cast<std::size_t>(workers_), jobs_.size()) <= 1;
    if (!onCaller_) environment_.hooks.processMessages = nullptr;
    environment_.hooks.notify = [this](const std::string& message) {
        {
            const std::lock_guard lock(mutex_);
            notices_.push_back(message);
        }
        ready_.notify_all();
        if (wakeup_) wakeup_();
    };
    order_ = StartOrder(jobs_, workers_);
    if (!onCaller_)
        pool_ = std::make_unique<TWorkerPool>(
            std::min<int>(workers_, static_cast<int>(std::max<std::size_t>(jobs_.size(), 1))));
}

TFileRun::~TFileRun()
{
    pool_.reset();
}

bool TFileRun::CanStart() const
{
    return next_ < order_.size() && Running() < static_cast<std::size_t>(workers_) &&
           busyDestinations_.count(jobs_[order_[next_]].destination) == 0;
}

void TFileRun::StopAfter(std::size_t index)
{
    const auto later = [index](std::size_t job) { return job > index; };
    order_.erase(std::remove_if(order_.begin() + static_cast<std::ptrdiff_t>(next_), order_.end(), later),
                 order_.end());
}

void TFileRun::Start(const TLevels& levels)
{
    const std::size_t index = order_[next_++];
    ++started_;
    busyDestinations_.insert(jobs_[index].destination);
    if (!pool_) {
        RunJob(index, levels);
        return;
    }
    pool_->Post([this, index, levels] { RunJob(index, levels); });
}

void TFileRun::RunJob(std::size_t index, const TLevels& levels)
{
    TFileOutcome outcome;
    outcome.index = index;
    outcome.levels = levels;
    const auto begin = std::chrono::steady_clock::now();
    bool copyable = extras_.copyFailed;  // not after a file fault: the copy would meet it again
    try {
        if (environment_.control->Cancelled()) throw RunCancelled();
        const TJob& job = jobs_[index];
        TJobRun run = PrepareJob(job, levels, missingPlugins_, extras_);
        if (!run.reused) run.result = OptimizeJob(job, levels, environment_, missingPlugins_);
        FinishJob(job, run, extras_);
        outcome.result = run.result;
        outcome.reused = run.reused;
        outcome.record = std::move(run.record);
    } catch (const RunCancelled& cancelled) {
        outcome.failed = outcome.cancelled = true;
        outcome.error = cancelled.what();
    } catch (const TDeclinedSource& declined) {
        outcome.failed = true;
        outcome.error = declined.what();
        copyable = true;  // also when the run does not keep going: the file's place is never empty
    } catch (const FileError& error) {
        outcome.failed = true;
        outcome.error = error.what();
        copyable = false;
    } catch (const std::exception& error) {
        outcome.failed = true;
        outcome.error = error.what();
    } catch (...) {
        outcome.failed = true;
        outcome.error = "Unknown failure.";
    }
    // A plug-in killed by a cancel may surface as its own failure.
    if (outcome.failed && environment_.control->Cancelled()) outcome.cancelled = true;
    if (outcome.failed && !outcome.cancelled && copyable)
        outcome.copiedUnchanged = CopyAfterFailure(jobs_[index], environment_, extras_);
    outcome.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
    Finish(std::move(outcome));
}

void TFileRun::Finish(TFileOutcome outcome)
{
    {
        const std::lock_guard lock(mutex_);
        finished_.push_back(std::move(outcome));
    }
    ready_.notify_all();
    if (wakeup_) wakeup_();
}

bool TFileRun::Wait()
{
    std::unique_lock lock(mutex_);
    ready_.wait(lock, [this] { return ReadyLocked(); });
    return true;
}

bool TFileRun::WaitFor(std::chrono::milliseconds limit)
{
    std::unique_lock lock(mutex_);
    return ready_.wait_for(lock, limit, [this] { return ReadyLocked(); });
}

std::vector<TFileOutcome> TFileRun::TakeFinished()
{
    std::vector<TFileOutcome> outcomes;
    {
        const std::lock_guard lock(mutex_);
        outcomes.swap(finished_);
    }
    taken_ += outcomes.size();
    for (const TFileOutcome& outcome : outcomes)
        busyDestinations_.erase(busyDestinations_.find(jobs_[outcome.index].destination));
    return outcomes;
}

std::vector<std::string> TFileRun::TakeNotices()
{
    const std::lock_guard lock(mutex_);
    std::vector<std::string> notices;
    notices.swap(notices_);
    return notices;
}
