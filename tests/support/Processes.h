#pragma once
// Whether processes are still alive, for tests of what a run leaves behind.

#include <sys/types.h>

#include <string>
#include <vector>

// True once the process has ended (a zombie counts as ended), waiting up to
// `milliseconds` for it.
bool ProcessGone(pid_t pid, int milliseconds = 1000);

// The live processes (not zombies) of a process group, waiting up to
// `milliseconds` for it to become empty.
std::vector<pid_t> ProcessGroupMembers(pid_t group, int milliseconds = 0);

// The live processes (not zombies) whose environment ends an entry with
// `entry` ("NAME=value"; the name unique), waiting up to `milliseconds` for none to be left. A
// program's descendants inherit such a mark even once they are reparented.
std::vector<pid_t> ProcessesMarked(const std::string& entry, int milliseconds = 0);

// The live processes with an argument that ends with `ending`.
std::vector<pid_t> ProcessesWithArgumentEnding(const std::string& ending);
