#pragma once
// Whether processes are still alive, for tests of what a run leaves behind.

#include <sys/types.h>

#include <vector>

// True once the process has ended (a zombie counts as ended), waiting up to
// `milliseconds` for it.
bool ProcessGone(pid_t pid, int milliseconds = 1000);

// The live processes (not zombies) of a process group, waiting up to
// `milliseconds` for it to become empty.
std::vector<pid_t> ProcessGroupMembers(pid_t group, int milliseconds = 0);
