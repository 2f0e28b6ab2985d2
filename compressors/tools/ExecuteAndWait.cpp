#include "compressors/tools/ExecuteAndWait.h"

#include <sys/wait.h>

#include <chrono>
#include <cstring>
#include <iostream>

#include "compressors/tools/ProgramSearch.h"
#include "compressors/tools/ToolError.h"
#include "compressors/tools/ToolProcess.h"
#include "compressors/tools/WindowsArguments.h"

namespace {

constexpr int kPumpMilliseconds = 50;
constexpr std::uint64_t kMegabyte = 1024 * 1024;

// "Unable to run ..." reaches the user once per program and run.
void NotifyUnableToRun(const TRunEnvironment& environment, const std::string& commandLine)
{
    const std::string message = "Unable to run " + commandLine;
    if (environment.control) {
        const auto words = SplitCommandLine(commandLine);
        if (!environment.control->FirstNotice("unable to run " + (words.empty() ? commandLine : words.front()))) return;
    }
    if (environment.hooks.notify)
        environment.hooks.notify(message);
    else
        std::cerr << message << '\n';
}

std::string WithErrors(std::string reason, const std::string& errorLines)
{
    if (!errorLines.empty()) reason += ": " + errorLines;
    return reason;
}

// The reason of a child that did not end with status 0; empty when it did.
std::string FailureOf(int status, const TToolProcess& process, const TRunEnvironment& environment,
                      const std::string& tool)
{
    if (WIFEXITED(status)) {
        if (WEXITSTATUS(status) == 0) return {};
        const std::string own = process.ErrorLines(1);
        const std::string prefix = tool + ": ";
        if (own.size() > prefix.size() && own.compare(0, prefix.size(), prefix) == 0) return own.substr(prefix.size());
        return WithErrors(tool + " failed with exit status " + std::to_string(WEXITSTATUS(status)),
                          process.ErrorLines());
    }
    const int signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
    std::string reason = tool + " ended by signal " + std::to_string(signal) + " (" + ::strsignal(signal) + ")";
    if (environment.toolLimits.memoryBytes > 0)
        reason += " under a memory limit of " + std::to_string(environment.toolLimits.memoryBytes / kMegabyte) + " MB";
    return WithErrors(reason, process.ErrorLines());
}

// The name failures give the program: its file name.
std::string ProgramName(const std::string& path)
{
    return path.substr(path.find_last_of('/') + 1);
}

// Waits for the child within the time limit. Without a pump the thread
// blocks on the child alone; with one, the pump runs every kPumpMilliseconds
// while the child runs and once after it has ended.
TToolProcess::Wait WaitWithinLimit(TToolProcess& process, const TRunEnvironment& environment)
{
    using Clock = std::chrono::steady_clock;
    const int limit = environment.toolLimits.timeoutSeconds;
    const auto deadline = Clock::now() + std::chrono::seconds(limit);
    auto left = [&]() -> int {
        if (limit <= 0) return -1;
        const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        return ms < 0 ? 0 : static_cast<int>(ms);
    };
    const auto& pump = environment.hooks.processMessages;
    for (;;) {
        const int remaining = left();
        if (!pump || remaining == 0) return process.WaitForExit(remaining);
        const auto result =
            process.WaitForExit(remaining < 0 ? kPumpMilliseconds : std::min(remaining, kPumpMilliseconds));
        pump();
        if (result != TToolProcess::Wait::TimeUp) return result;
    }
}

}  // namespace

void ExecuteAndWait(const std::string& commandLine, const TRunEnvironment& environment, const std::string& tool)
{
    if (environment.executor) {
        environment.executor(commandLine);
        return;
    }
    TRunControl* control = environment.control.get();
    const auto arguments = ResolveCommandLine(commandLine);
    int error = 0;
    std::optional<TToolProcess> process =
        arguments ? TToolProcess::Start(*arguments, environment.toolLimits.memoryBytes, control, error) : std::nullopt;
    if (!process) {
        NotifyUnableToRun(environment, commandLine);
        throw ToolError("Unable to run " + commandLine);
    }
    const std::string name = tool.empty() ? ProgramName(arguments->front()) : tool;
    const auto wait = WaitWithinLimit(*process, environment);
    if (wait != TToolProcess::Wait::Ended) {
        process->KillGroup();
        process->Reap();
        if (wait == TToolProcess::Wait::Cancelled) throw RunCancelled();
        throw ToolError(name + " timed out after " + std::to_string(environment.toolLimits.timeoutSeconds) + " s");
    }
    const int status = process->Reap();
    if (control && control->Cancelled()) throw RunCancelled();
    const std::string failure = FailureOf(status, *process, environment, name);
    if (!failure.empty()) throw ToolError(failure);
}
