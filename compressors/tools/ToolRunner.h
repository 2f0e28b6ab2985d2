#pragma once
// Runs plug-in command lines as child processes and measures files.

#include <functional>
#include <string>

#include "compressors/Compressors.h"

// What the caller of a run supplies: the window pumps its events and shows a
// message box; the command line pumps nothing and prints to stderr.
struct ToolRunnerHooks {
    std::function<void()> processMessages;                   // may be empty
    std::function<void(const std::string& message)> notify;  // "Unable to run ..."; empty: stderr
};
void SetToolRunnerHooks(ToolRunnerHooks hooks);
const ToolRunnerHooks& CurrentToolRunnerHooks();

// Test seam: when set, ExecuteAndWait hands the command line to it instead of
// starting a process. An empty function restores the real runner.
using CommandExecutor = std::function<void(const std::string& commandLine)>;
void SetCommandExecutor(CommandExecutor executor);

// Starts the command line (Windows argument rules, see CommandLine.h; program
// search in ProgramSearch.h; no shell, its own process group, standard streams
// on /dev/null) and waits for it: up to 150 ms for the child, the message
// pump, 75 ms of sleep, until the child has ended. A start failure notifies
// "Unable to run " + command line and returns normally. If the pump throws,
// the child's process group is killed and the exception passes on.
void ExecuteAndWait(const std::string& commandLine);

// Low 32 bits of the file's size; -1 when the file cannot be opened.
FileSize FileSizeOf(const std::string& path);

// The program's folder with its trailing "/" followed by "plugins/".
const std::string& PluginDir();
void SetPluginDir(const std::string& directory);
// The folder holding the running executable, with a trailing "/".
std::string ProgramDir();
