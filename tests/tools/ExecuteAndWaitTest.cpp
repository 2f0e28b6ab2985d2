// Starting real child processes: argument delivery, program search, the
// notification for what cannot start, the message pump and the child's setting.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <vector>

#include "ToolTestSupport.h"
#include "compressors/tools/ExecuteAndWait.h"
#include "compressors/tools/PluginDir.h"
#include "compressors/tools/ProgramSearch.h"
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

TEST_F(ExecuteAndWaitTest, WhatCannotStartIsNotifiedAndTheCallReturns)
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
    for (const auto& line : lines) ExecuteAndWait(line, environment);
    ASSERT_EQ(messages.size(), lines.size());
    for (std::size_t i = 0; i < lines.size(); ++i) EXPECT_EQ(messages[i], "Unable to run " + lines[i]);
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
