#pragma once
// Runs a plug-in's command line as a child process and waits for it.

#include <string>

#include "compressors/RunEnvironment.h"

// Starts the command line (Windows argument rules, see WindowsArguments.h;
// program search in ProgramSearch.h; no shell, its own process group, standard
// streams on /dev/null) and waits for it: up to 150 ms for the child, the
// environment's message pump, 75 ms of sleep, until the child has ended. A
// start failure notifies "Unable to run " + command line and returns normally.
// If the pump throws, the child's process group is killed and the exception
// passes on. With the environment's executor set, the command line goes to it
// instead.
void ExecuteAndWait(const std::string& commandLine, const TRunEnvironment& environment = DefaultRunEnvironment());
