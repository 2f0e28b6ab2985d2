#include "app/core/FileRun.h"

#include <algorithm>
#include <exception>
#include <utility>

#include "app/core/JobRun.h"

TFileRun::TFileRun(std::vector<TJob> jobs, const TRunEnvironment& environment, int workers,
                   std::function<void()> wakeup, TJobExtras extras)
    : jobs_(std::move(jobs)), environment_(environment), missingPlugins_(MissingPlugins(environment.pluginDir)),
      wakeup_(std::move(wakeup)), extras_(std::move(extras)), workers_(std::max(workers, 1))
{
    if (!environment_.control) environment_.control = std::make_shared<TRunControl>();
    environment_.hooks.processMessages = nullptr;
    environment_.hooks.notify = [this](const std::string& message) {
        {
            const std::lock_guard lock(mutex_);
            notices_.push_back(message);
        }
        ready_.notify_all();
        if (wakeup_) wakeup_();
    };
    pool_ = std::make_unique<TWorkerPool>(
        std::min<int>(workers_, static_cast<int>(std::max<std::size_t>(jobs_.size(), 1))));
}

TFileRun::~TFileRun()
{
    pool_.reset();
}

bool TFileRun::CanStart() const
{
    return next_ < jobs_.size() && Running() < static_cast<std::size_t>(workers_) &&
           busyDestinations_.count(jobs_[next_].destination) == 0;
}

void TFileRun::Start(const TLevels& levels)
{
    const std::size_t index = next_++;
    ++started_;
    busyDestinations_.insert(jobs_[index].destination);
    pool_->Post([this, index, levels] {
        TFileOutcome outcome;
        outcome.index = index;
        outcome.levels = levels;
        const auto begin = std::chrono::steady_clock::now();
        try {
            if (environment_.control->Cancelled()) throw RunCancelled();
            TJobRun run = RunJob(jobs_[index], levels, environment_, missingPlugins_, extras_);
            outcome.result = run.result;
            outcome.reused = run.reused;
            outcome.record = std::move(run.record);
        } catch (const RunCancelled& cancelled) {
            outcome.failed = outcome.cancelled = true;
            outcome.error = cancelled.what();
        } catch (const std::exception& error) {
            outcome.failed = true;
            outcome.error = error.what();
        } catch (...) {
            outcome.failed = true;
            outcome.error = "Unknown failure.";
        }
        // A plug-in killed by a cancel may surface as its own failure.
        if (outcome.failed && environment_.control->Cancelled()) outcome.cancelled = true;
        outcome.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
        Finish(std::move(outcome));
    });
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
