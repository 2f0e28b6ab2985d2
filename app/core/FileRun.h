#pragma once
// The jobs of a plan optimized on worker threads, their outcomes handed back
// to one caller thread in list order.
//
// Threads: every member is called on ONE thread, the caller's (the window's
// user-interface thread, the command line's main thread). Only the workers
// run optimizers. The environment the workers get is the caller's less its
// message pump, and its notify hook queues the message for the caller
// (TakeNotices), so neither hook runs on a worker. `wakeup`, when given, runs
// on a worker thread each time an outcome or a notice becomes ready: the
// window posts an event from it and drains on its own thread; the command
// line blocks in Wait instead.
//
// With one worker, jobs start in list order. With more, the images (PNG,
// JPEG, GIF) whose destination no other job shares start first, largest
// first, so that a long image does not end the run alone; the other jobs
// follow in list order. At most `workers` run at once, each with the levels
// passed to Start (read by the caller at that moment), run as JobRun.h says
// with the extras given (reused, recorded, times kept; a failed job copied
// unchanged unless its failure is a file fault). A job not yet started
// when the run's control is cancelled is not run (its outcome: cancelled).
// The destructor waits for the jobs that run (a cancelled control ends their
// plug-ins) and joins the workers, also when the caller unwinds.
//
// A caller that blocks (no `wakeup`) with one job at a time (one worker, or
// one job) starts no thread: Start runs the job on the caller's thread and
// returns with its outcome ready, the caller's message pump kept for the
// job's waits on plug-ins (one process per file starts no pool).

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "app/core/OptimizeJob.h"
#include "app/core/OutputRecord.h"
#include "app/core/RunPlan.h"
#include "app/core/WorkerPool.h"

// How one job ended.
struct TFileOutcome {
    std::size_t index = 0;  // in the job list
    TJobResult result;      // valid when not failed
    bool failed = false;
    bool cancelled = false;               // the run was cancelled before or while it ran
    std::string error;                    // the failure's message
    bool copiedUnchanged = false;         // failed, and its source was copied to its destination
    TLevels levels;                       // the levels it was given
    double seconds = 0;                   // wall time of the job on its worker
    bool reused = false;                  // an earlier run's output stands (result: its recorded sizes)
    std::optional<TOutputRecord> record;  // an incremental run's record of the output
};

class TFileRun {
public:
    TFileRun(std::vector<TJob> jobs, const TRunEnvironment& environment, int workers, std::function<void()> wakeup = {},
             TJobExtras extras = {});
    ~TFileRun();
    TFileRun(const TFileRun&) = delete;
    TFileRun& operator=(const TFileRun&) = delete;

    const std::vector<TJob>& Jobs() const { return jobs_; }
    // The index of the next job Start would start (Jobs().size() when all started).
    std::size_t NextIndex() const { return next_ < order_.size() ? order_[next_] : jobs_.size(); }
    // A job is left, a worker free for it, and no running job has its
    // destination (a later file with the same destination waits, so it wins).
    bool CanStart() const;
    // Starts the next job (NextIndex) with these levels.
    void Start(const TLevels& levels);
    // No job after `index` in list order starts from now on (a failure there
    // ends the run; the jobs before it still run).
    void StopAfter(std::size_t index);
    // The jobs started and not yet taken by TakeFinished.
    std::size_t Running() const { return started_ - taken_; }

    // Blocks until an outcome or a notice is ready (or `limit` passed); true when one is.
    bool Wait();
    bool WaitFor(std::chrono::milliseconds limit);
    // The outcomes ready since the last call, in the order the jobs ended.
    std::vector<TFileOutcome> TakeFinished();
    // The notices the optimizers gave since the last call, in order.
    std::vector<std::string> TakeNotices();

private:
    // Runs one job to its outcome (on a worker, or on the caller's thread).
    void RunJob(std::size_t index, const TLevels& levels);
    void Finish(TFileOutcome outcome);
    bool ReadyLocked() const { return !finished_.empty() || !notices_.empty(); }

    std::vector<TJob> jobs_;
    TRunEnvironment environment_;
    std::map<FileKind, std::string> missingPlugins_;
    std::function<void()> wakeup_;
    TJobExtras extras_;
    int workers_;
    bool onCaller_ = false;           // jobs run in Start, no pool
    std::vector<std::size_t> order_;  // the jobs' indexes in the order they start
    std::size_t next_ = 0;            // in order_
    std::size_t started_ = 0;
    std::size_t taken_ = 0;
    std::multiset<std::string> busyDestinations_;  // of the jobs started and not yet taken

    mutable std::mutex mutex_;
    std::condition_variable ready_;
    std::vector<TFileOutcome> finished_;
    std::vector<std::string> notices_;
    std::unique_ptr<TWorkerPool> pool_;  // last: its threads end first; null when onCaller_
};
