#pragma once
// The optimization run over a request's list.
//
// Every destination is planned and checked before the first file is written
// (RunPlan.h); an entry with a relative destination keeps it below the
// output folder, the others go flat into it.
// Up to `workers` files are optimized at once (FileRun.h), but the host sees
// one thread only: every host call (SetCell, SetProgress,
// the levels read for the next file ...)
// happens on the thread that drives the run. Rows are filled in list order: a
// row is written whole once every row before it is; the grid, the TOTAL row
// and the outputs do not depend on the number of workers. The progress counts
// finished files. An image kept because its output did not show the
// source's picture (ProvedOutput.h) shows the source's sizes and the ratio
// followed by "; kept: output did not match".
//
// A file that fails (a refused destination, an optimizer's fault, a plug-in's
// failure):
//   - by default ends the run at the first failure in list order, with
//     TFileFailure (its source and reason): no file is started after it, the
//     files already started finish, the rows before it stay, its row holds
//     only its path, the rows after it stay empty;
//   - with keepGoing, its row shows "failed: <reason>" in the optimized-size
//     cell and the run goes on; the failures are returned. With
//     extras.copyFailed too, the file's source is copied unchanged to its
//     destination (not after a refused destination or a file fault: a source
//     that cannot be read, a destination that cannot be created) and the row
//     says "failed: <reason>; copied unchanged"; the file still counts as
//     failed.
// A cancelled run (the environment's control cancelled: running plug-ins
// killed, no file started afterwards) ends with RunCancelled once the running
// files are back. StopRequested() ends the run after the files under way,
// without TOTAL. Files whose plug-in is missing from the plug-in folder are
// copied unchanged, with one notice per plug-in and run. The environment's
// control (one is made when the request has none) starts a new run: notices
// are shown again. An empty list makes a run that has ended and touches
// nothing (the front end asks for files instead).

#include <cstddef>
#include <functional>
#include <memory>
#include <vector>

#include "app/core/FileFailure.h"
#include "app/core/FileRun.h"
#include "app/core/RunHost.h"

// What a driver of the run may learn beyond the grid, on the driving thread.
class TRunObserver {
public:
    virtual ~TRunObserver() = default;
    // The plan, before any file starts; the jobs live as long as the run.
    virtual void Planned(const std::vector<TJob>&) {}
    // A file was handed to a worker.
    virtual void Started(const TJob&) {}
    // A file ended (in the order files end).
    virtual void Finished(const TJob&, const TFileOutcome&) {}
    // A file's row was written (in list order); not called for the rows the
    // run leaves empty after a failure that ends it.
    virtual void Shown(const TJob&, const TFileOutcome&) {}
};

struct TRunOptions {
    int workers = 1;
    bool keepGoing = false;
    TRunObserver* observer = nullptr;  // may be null
    // Reuse and record outputs (OutputRecord.h), keep the sources' times; the
    // output directory text is the request's.
    TJobExtras extras;
};

// The Optimize command's grid reset: header plus one data row, all data cells empty.
void ResetResultGrid(TRunHost& host);

// One run, driven step by step from the host's thread. The window drives it
// from its event loop:
//     run = std::make_unique<TCompressionRun>(request, host, options, [this] { post an event });
//     on that event (and once after construction): if (!run->Step()) { run->Finish(); run.reset(); }
// (Finish() throws as StartCompression does.) A blocking driver calls Wait()
// between steps. Closing the window: control->Cancel(), then keep stepping
// (or destroy the run: the destructor waits for the running files).
class TCompressionRun {
public:
    // Plans the run and prepares the grid (N + 2 rows, progress 0 of N).
    // `wakeup` runs on a worker thread whenever Step has something to do.
    TCompressionRun(const TRunRequest& request, TRunHost& host, const TRunOptions& options,
                    std::function<void()> wakeup = {});
    ~TCompressionRun();

    // Shows the rows that are ready, repaints, starts files while workers are
    // free; never blocks. False once the run has ended (call Finish).
    bool Step();
    // Blocks until Step has something to do; while waiting it runs the
    // environment's message pump (when the request gave one) every 150 ms.
    void Wait();
    // Writes the TOTAL row when the run completed; throws TFileFailure or
    // RunCancelled as the header says. Returns the failures a keepGoing run
    // went past, in list order.
    std::vector<TFileFailure> Finish();

private:
    void Publish();
    void StartFiles();
    bool Ended() const;

    TRunHost& host_;
    TRunOptions options_;
    std::string thousands_;
    std::string decimal_;
    TRunEnvironment environment_;
    std::unique_ptr<TFileRun> files_;
    std::vector<std::unique_ptr<TFileOutcome>> outcomes_;  // by index, until shown
    std::size_t shown_ = 0;                                // rows written
    int finished_ = 0;                                     // files ended well
    long long totalOriginal_ = 0;
    long long totalOptimized_ = 0;
    bool stopping_ = false;                  // start nothing more
    bool empty_ = false;                     // the list was empty
    std::unique_ptr<TFileFailure> failure_;  // the failure that ends the run
    bool cancelled_ = false;
    bool halted_ = false;               // a row ended the run: no later row is shown
    std::vector<TFileFailure> passed_;  // keepGoing failures
    std::vector<std::shared_ptr<void>> startedEarly_;  // the plug-ins' background starts
};

// Places the request's entries once (request.jobs) and returns the
// destinations that would receive more than one file: the window asks before
// such a run, the command line refuses it. The run checks the destinations
// when it starts.
std::vector<TDestinationClash> PlanRequest(TRunRequest& request);

// The blocking run: a TCompressionRun stepped to its end on this thread.
std::vector<TFileFailure> StartCompression(const TRunRequest& request, TRunHost& host,
                                           const TRunOptions& options = {});
