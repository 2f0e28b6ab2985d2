// Starting real child processes: argument delivery, program search, the
// notification for what cannot start, the message pump, the child's setting,
// and the supervision: exit status and standard error, time and memory
// limits, cancellation.

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <thread>
#include <vector>

#include "ToolTestSupport.h"
#include "compressors/base/PluginDir.h"
#include "compressors/tools/ExecuteAndWait.h"
#include "compressors/tools/ProgramSearch.h"
#include "compressors/tools/ToolError.h"
#include "compressors/tools/WindowsArguments.h"

using namespace tooltest;

namespace {

class ExecuteAndWaitTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        environment.hooks = {[this] { ++pumps; }, [this](const std::string& m) { messages.push_back(m); }};
    }
    void TearDown() override
    {
        if (!savedPath.empty()) ::setenv("PATH", savedPath.c_str(), 1);
        if (!savedCwd.empty() && ::chdir(savedCwd.c_str()) != 0) ADD_FAILURE() << "chdir back";
        ::unsetenv("QWO_TEST_OUT");
    }

    // An executable shell script at path.
    void MakeScript(const std::string& path, const std::string& body)
    {
        WriteFile(path, "#!/bin/sh\n" + body + "\n");
        ::chmod(path.c_str(), 0755);
    }

    // Makes a script that records its arguments, NUL-terminated, in "args".
    std::string ArgumentRecorder(const std::string& path)
    {
        MakeScript(path, "for a in \"$@\"; do printf '%s\\0' \"$a\"; done > \"$QWO_TEST_OUT\"");
        ::setenv("QWO_TEST_OUT", (dir / "args").c_str(), 1);
        return path;
    }

    std::vector<std::string> RecordedArguments()
    {
        std::vector<std::string> result;
        const std::string text = ReadFile(dir / "args");
        std::size_t start = 0;
        for (std::size_t end; (end = text.find('\0', start)) != std::string::npos; start = end + 1)
            result.push_back(text.substr(start, end - start));
        return result;
    }

    void UsePath(const std::string& path)
    {
        if (savedPath.empty()) savedPath = std::getenv("PATH");
        ::setenv("PATH", path.c_str(), 1);
    }

    void EnterFolder(const std::string& folder)
    {
        savedCwd = std::filesystem::current_path().string();
        ASSERT_EQ(::chdir(folder.c_str()), 0);
    }

    // The reason the call failed with; empty when it succeeded.
    std::string FailureOf(const std::string& line, const std::string& tool = {})
    {
        try {
            ExecuteAndWait(line, environment, tool);
        } catch (const ToolError& error) {
            return error.what();
        }
        return "";
    }

    TempDir dir;
    int pumps = 0;
    std::vector<std::string> messages;
    std::string savedPath, savedCwd;
    TRunEnvironment environment;
};

}  // namespace

TEST_F(ExecuteAndWaitTest, ArgumentsArriveIntact)
{
    const std::string program = ArgumentRecorder(dir / "rec ord er");  // a program name cannot hold quotes
    const std::vector<std::string> arguments{"-dc",           "",     "a b",         "-leading", "q\"uo\"te",
                                             "back\\slash\\", "\\\"", "$HOME;`x`|&*"};
    std::string line = QuoteArgument(program);
    for (const auto& argument : arguments) line += " " + QuoteArgument(argument);
    ExecuteAndWait(line, environment);
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(RecordedArguments(), arguments);
    EXPECT_GE(pumps, 1);
}

TEST_F(ExecuteAndWaitTest, UnquotedProgramPathWithBlanksIsFound)
{
    std::filesystem::create_directories(dir / "my tools/bin");
    const std::string program = ArgumentRecorder(dir / "my tools/bin/rec");
    ExecuteAndWait(program + " -x \"y z\"", environment);
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(RecordedArguments(), (std::vector<std::string>{"-x", "y z"}));
}

TEST_F(ExecuteAndWaitTest, SearchesProgramFolderThenCurrentFolderThenPath)
{
    std::filesystem::create_directories(dir / "cwd");
    std::filesystem::create_directories(dir / "onpath");
    MakeScript(dir / "onpath/qwo-probe", "echo path > \"$QWO_TEST_OUT\"");
    MakeScript(dir / "onpath/cscript", "exit 0");
    UsePath("/nonexistent:" + dir.Folder() + "onpath");
    ::setenv("QWO_TEST_OUT", (dir / "args").c_str(), 1);

    EXPECT_EQ(FindProgram("qwo-probe"), dir.Folder() + "onpath/qwo-probe");
    ExecuteAndWait("qwo-probe", environment);
    EXPECT_EQ(ReadFile(dir / "args"), "path\n");

    EnterFolder(dir / "cwd");
    MakeScript(dir / "cwd/qwo-probe", "echo cwd > \"$QWO_TEST_OUT\"");
    ExecuteAndWait("qwo-probe", environment);
    EXPECT_EQ(ReadFile(dir / "args"), "cwd\n");

    // The script host beside this test program wins over the one on PATH.
    EXPECT_EQ(FindProgram("cscript"), ProgramDir() + "cscript");
    EXPECT_TRUE(messages.empty());
}

TEST_F(ExecuteAndWaitTest, WhatCannotStartIsNotifiedAndFails)
{
    WriteFile(dir / "not-executable", "#!/bin/sh\n");
    MakeScript(dir / "no-interpreter", "");
    WriteFile(dir / "no-interpreter", "#!/nonexistent/shell\n");
    const std::vector<std::string> lines{dir / "missing.exe -dc \"x\"",
                                         "\"" + dir / "not-executable" + "\"",
                                         dir / "no-interpreter",
                                         "qwo-no-such-program-anywhere a b",
                                         "",
                                         "  "};
    for (const auto& line : lines) EXPECT_EQ(FailureOf(line), "Unable to run " + line);
    ASSERT_EQ(messages.size(), lines.size());
    for (std::size_t i = 0; i < lines.size(); ++i) EXPECT_EQ(messages[i], "Unable to run " + lines[i]);
}

TEST_F(ExecuteAndWaitTest, WithARunControlEachProgramIsNotifiedOnce)
{
    environment.control = std::make_shared<TRunControl>();
    for (const std::string line : {"qwo-missing-a 1", "qwo-missing-a 2", "qwo-missing-b", "qwo-missing-a 3"})
        EXPECT_EQ(FailureOf(line), "Unable to run " + line);
    EXPECT_EQ(messages, (std::vector<std::string>{"Unable to run qwo-missing-a 1", "Unable to run qwo-missing-b"}));
    environment.control->BeginRun();  // a new run tells again
    FailureOf("qwo-missing-a 4");
    EXPECT_EQ(messages.size(), 3u);
}

TEST_F(ExecuteAndWaitTest, AToolThatFailsGivesItsReasonNamingTheToolNotItsCommandLine)
{
    environment.toolLimits.memoryBytes = 512 << 20;
    const std::string limit = " under a memory limit of 512 MB";
    struct Case {
        std::string body;
        std::string tool;  // as the caller names it; empty: the program's file name
        std::string reason;
    };
    const std::vector<Case> cases{
        {"exit 0", "", ""},
        {"echo 'not written' >&2; exit 0", "", ""},  // the status decides, not the noise
        {"echo 'cannot read x.png' >&2; exit 3", "", "my tool failed with exit status 3: cannot read x.png"},
        {"printf 'one\\n#\\n\\ntwo\\nthree\\r\\nfour  \\n' >&2; exit 1", "",
         "my tool failed with exit status 1: two; three; four"},
        {"exit 1", "pngout.exe", "pngout.exe failed with exit status 1"},
        // A plug-in's own reason, its last line after its name, is the reason.
        {"echo 'optipng: noise' >&2; echo 'pngout.exe: optipng failed: bad CRC' >&2; exit 1", "pngout.exe",
         "optipng failed: bad CRC"},
        {"echo 'my tool: cannot write' >&2; exit 2", "", "cannot write"},
        {"echo 'jhead.exe: jhead failed' >&2; exit 1", "pngout.exe",
         "pngout.exe failed with exit status 1: jhead.exe: jhead failed"},
        {"kill -SEGV $$", "", "my tool ended by signal 11 (Segmentation fault)" + limit},
        {"echo 'Out of memory' >&2; kill -ABRT $$", "ESC.wsf",
         "ESC.wsf ended by signal 6 (Aborted)" + limit + ": Out of memory"},
    };
    for (const Case& c : cases) {
        MakeScript(dir / "my tool", c.body);
        EXPECT_EQ(FailureOf(QuoteArgument(dir / "my tool"), c.tool), c.reason) << c.body;
    }
    EXPECT_TRUE(messages.empty());
}

TEST_F(ExecuteAndWaitTest, TheTimeLimitKillsTheWholeProcessGroup)
{
    // A tool that never ends and has started a helper of its own.
    MakeScript(dir / "hang", "sleep 1000 & echo $! > \"$QWO_TEST_OUT\"; sleep 1000");
    ::setenv("QWO_TEST_OUT", (dir / "helper").c_str(), 1);
    environment.toolLimits.timeoutSeconds = 1;
    for (const bool pump : {false, true}) {
        if (!pump) environment.hooks.processMessages = nullptr;
        EXPECT_EQ(FailureOf(dir / "hang"), "hang timed out after 1 s");
        EXPECT_TRUE(ProcessGone(std::stoi(ReadFile(dir / "helper"))));
    }
}

TEST_F(ExecuteAndWaitTest, TheMemoryLimitIsTheToolsAddressSpace)
{
    MakeScript(dir / "limit", "ulimit -v > \"$QWO_TEST_OUT\"");
    ::setenv("QWO_TEST_OUT", (dir / "kb").c_str(), 1);
    environment.toolLimits.memoryBytes = 300 << 20;
    ExecuteAndWait(dir / "limit", environment);
    EXPECT_EQ(ReadFile(dir / "kb"), "307200\n");
    environment.toolLimits.memoryBytes = 0;
    ExecuteAndWait(dir / "limit", environment);
    EXPECT_EQ(ReadFile(dir / "kb"), "unlimited\n");

    // Node.js (the script plug-in's host) starts under the default limit; under
    // a small one the call fails with the reason, not obscurely.
    environment.toolLimits = TToolLimits();
    ExecuteAndWait("node -e 0", environment);
    environment.toolLimits.memoryBytes = 256 << 20;
    const std::string failure = FailureOf("node -e 0");
    EXPECT_THAT(failure, ::testing::StartsWith("node ended by signal "));
    EXPECT_THAT(failure, ::testing::HasSubstr(" under a memory limit of 256 MB: "));
    EXPECT_THAT(failure, ::testing::HasSubstr("Fatal process OOM"));
}

TEST_F(ExecuteAndWaitTest, CancellingTheRunKillsTheRunningTool)
{
    // A worker thread's blocking wait, and the window's pumping one.
    MakeScript(dir / "sleeper", "echo $$ > \"$QWO_TEST_OUT\"; exec sleep 1000");
    MakeScript(dir / "brief", "sleep 0.2");
    ::setenv("QWO_TEST_OUT", (dir / "pid").c_str(), 1);
    environment.control = std::make_shared<TRunControl>();
    for (const bool pump : {false, true}) {
        SCOPED_TRACE(pump ? "pump" : "no pump");
        if (!pump) environment.hooks.processMessages = nullptr;
        if (pump) environment.hooks.processMessages = [this] { ++pumps; };
        std::filesystem::remove(dir / "pid");
        environment.control->BeginRun();
        std::jthread canceller([&] {
            while (!FileExists(dir / "pid") || ReadFile(dir / "pid").empty())
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            environment.control->Cancel();
        });
        EXPECT_THROW(ExecuteAndWait(dir / "sleeper", environment), RunCancelled);
        EXPECT_TRUE(ProcessGone(std::stoi(ReadFile(dir / "pid"))));
        EXPECT_THROW(ExecuteAndWait(dir / "sleeper", environment), RunCancelled);  // nothing starts any more
        canceller.join();

        // A new run waits for its tools again: the cancellation is not seen twice.
        environment.control->BeginRun();
        EXPECT_EQ(FailureOf(dir / "brief"), "");
    }
}

TEST_F(ExecuteAndWaitTest, CancellingEndsTheWaitOfAToolOutsideItsGroup)
{
    // The tool moves into its parent's process group, where the run's kill of
    // its own group does not reach it; the wait still ends and the tool is
    // killed.
    MakeScript(dir / "escape",
               "exec perl -e 'setpgrp(0, getpgrp(getppid())) or die; open(my $f, \">\", $ENV{QWO_TEST_OUT}); "
               "print $f \"$$\\n\"; close $f; sleep 1000'");
    ::setenv("QWO_TEST_OUT", (dir / "pid").c_str(), 1);
    environment.control = std::make_shared<TRunControl>();
    environment.hooks.processMessages = nullptr;
    environment.toolLimits.timeoutSeconds = 20;  // a failure, not a hang
    std::jthread canceller([&] {
        while (!FileExists(dir / "pid") || ReadFile(dir / "pid").empty())
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        environment.control->Cancel();
    });
    EXPECT_THROW(ExecuteAndWait(dir / "escape", environment), RunCancelled);
    EXPECT_TRUE(ProcessGone(std::stoi(ReadFile(dir / "pid"))));
}

TEST_F(ExecuteAndWaitTest, ConcurrentWaitsEachGetTheirOwnChild)
{
    // Eight threads at once, one run control: each sees its own child's exit
    // status and standard error, never another thread's.
    constexpr int kThreads = 8;
    constexpr int kRounds = 5;
    environment.control = std::make_shared<TRunControl>();
    std::vector<std::vector<std::string>> seen(kThreads);
    {
        std::vector<std::jthread> threads;
        for (int t = 0; t < kThreads; ++t)
            threads.emplace_back([&, t] {
                TRunEnvironment own = environment;
                own.hooks.processMessages = nullptr;
                for (int round = 0; round < kRounds; ++round) {
                    const std::string line =
                        "sh -c \"echo thread " + std::to_string(t) + " >&2; exit " + std::to_string(t) + "\"";
                    try {
                        ExecuteAndWait(line, own);
                        seen[t].push_back("");
                    } catch (const std::exception& error) {
                        seen[t].push_back(error.what());
                    }
                }
            });
    }
    for (int t = 0; t < kThreads; ++t) {
        const std::string expected =
            t == 0 ? "" : "sh failed with exit status " + std::to_string(t) + ": thread " + std::to_string(t);
        EXPECT_EQ(seen[t], std::vector<std::string>(kRounds, expected)) << t;
    }
}

TEST_F(ExecuteAndWaitTest, ChildRunsDetachedFromOurStreamsInItsOwnGroup)
{
    // stdin is /dev/null (cat ends at once); the process group is the child's own.
    MakeScript(dir / "probe", "cat > /dev/null; echo \"$$ $(cut -d' ' -f5 /proc/$$/stat)\" > \"$QWO_TEST_OUT\"; "
                              "echo noise; echo noise >&2");
    ::setenv("QWO_TEST_OUT", (dir / "args").c_str(), 1);
    ExecuteAndWait(dir / "probe", environment);
    std::istringstream ids(ReadFile(dir / "args"));
    long pid = 0, group = -1;
    ids >> pid >> group;
    EXPECT_GT(pid, 0);
    EXPECT_EQ(pid, group);
}

TEST_F(ExecuteAndWaitTest, AThrowingMessagePumpEndsTheChild)
{
    MakeScript(dir / "sleeper", "echo $$ > \"$QWO_TEST_OUT\"; exec sleep 60");
    ::setenv("QWO_TEST_OUT", (dir / "pid").c_str(), 1);
    environment.hooks = {[this] {
                             if (FileExists(dir / "pid") && !ReadFile(dir / "pid").empty())
                                 throw std::runtime_error("window closed");
                         },
                         {}};
    EXPECT_THROW(ExecuteAndWait(dir / "sleeper", environment), std::runtime_error);
    const pid_t pid = std::stoi(ReadFile(dir / "pid"));
    EXPECT_EQ(::kill(pid, 0), -1);
    EXPECT_EQ(errno, ESRCH);
}
