#pragma once
// Runs a plug-in's command line as a supervised child process and waits for it.

#include <string>

#include "compressors/base/RunEnvironment.h"

// Starts the command line (Windows argument rules, see WindowsArguments.h;
// program search in ProgramSearch.h; no shell; TToolProcess: its own process
// group, a parent-death signal, the environment's memory limit, standard
// error kept) and blocks until it has ended. Throws ToolError, its message
// being the file's reason, which names the tool (`tool`, the plug-in's file
// name; when empty, the file name of the program started) and not its
// command line, but where the command line cannot be started:
//   "Unable to run <command line>"   it cannot be started (also notified,
//                                    once per program and run)
//   "<tool> timed out after N s"     the time limit ran out; the whole
//                                    process group was killed
//   "<reason>"                       it ended with a status other than 0 and
//                                    its last line of standard error is
//                                    "<tool>: <reason>" (a plug-in's own
//                                    reason, e.g. "optipng failed: ...")
//   "<tool> failed with exit status N[: <its last lines of standard error>]"
//   "<tool> ended by signal N (<name>)[ under a memory limit of M MB][: ...]"
// Throws RunCancelled when the run's control was cancelled meanwhile.
//
// Without a message pump in the hooks the calling thread blocks on the child
// (and the run's cancellation) and goes on the moment it ends. With a pump it
// waits as the window needs: the pump runs every 50 ms while the child runs
// and once after it has ended, with no sleep. If the pump throws, the child's
// process group is killed and the exception passes on. Cancelling the run's
// control kills the group and ends the wait at once. With the environment's
// executor set, the command line goes to it instead.
void ExecuteAndWait(const std::string& commandLine, const TRunEnvironment& environment = DefaultRunEnvironment(),
                    const std::string& tool = {});
