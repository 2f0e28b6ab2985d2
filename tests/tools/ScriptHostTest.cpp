// The script host's fast paths: ESC.wsf served by a kept server, and ESC.wsf's
// work done by the host with esbuild's binary when no server runs, give what
// Node.js running it directly gives (bytes, exit status, messages); other
// scripts still run with Node.js; the server, also when started ahead, goes
// with the program it serves and survives a caller killed in the middle of a job.

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "ToolTestSupport.h"

using namespace tooltest;

extern char** environ;

namespace {

struct Outcome {
    int status = -1;
    std::string stderrText;
};

// Starts a program with this test as its parent; stdout is dropped.
pid_t Start(const std::vector<std::string>& arguments, int stderrFd)
{
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    if (stderrFd >= 0) posix_spawn_file_actions_adddup2(&actions, stderrFd, STDERR_FILENO);
    std::vector<char*> argv;
    for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    pid_t pid = -1;
    if (posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

Outcome RunProgram(const std::vector<std::string>& arguments)
{
    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC) != 0) return {};
    const pid_t pid = Start(arguments, pipeFds[1]);
    ::close(pipeFds[1]);
    Outcome outcome;
    char buffer[4096];
    for (ssize_t got; (got = ::read(pipeFds[0], buffer, sizeof buffer)) > 0;)
        outcome.stderrText.append(buffer, static_cast<std::size_t>(got));
    ::close(pipeFds[0]);
    int status = 0;
    if (pid > 0 && ::waitpid(pid, &status, 0) == pid && WIFEXITED(status)) outcome.status = WEXITSTATUS(status);
    return outcome;
}

const std::string kHost = std::string(QWO_BIN_DIR) + "/cscript";
const std::string kEsc = std::string(QWO_BIN_DIR) + "/plugins/ESC.wsf";

Outcome Host(const std::string& level, const std::string& destination, const std::string& source)
{
    return RunProgram({kHost, "//Nologo", kEsc, "-l", level, "-ow", destination, source});
}

// The host with a parent of its own, which started no server: no server takes the job.
Outcome Unserved(const std::string& level, const std::string& destination, const std::string& source)
{
    return RunProgram({"sh", "-c", "\"$@\"; exit $?", "sh", kHost, "//Nologo", kEsc, "-l", level, "-ow", destination,
                       source});
}

Outcome Node(const std::string& level, const std::string& destination, const std::string& source)
{
    return RunProgram({"env", "NODE_PATH=/usr/share/nodejs", "node", kEsc, "-l", level, "-ow", destination, source});
}

// Polls a condition for up to `seconds`.
template <typename Condition>
bool Within(double seconds, Condition condition)
{
    const auto limit = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > limit) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

// Server folders under `base`.
std::vector<std::string> ServerFolders(const std::string& base)
{
    std::vector<std::string> found;
    for (const auto& entry : std::filesystem::directory_iterator(base))
        if (entry.path().filename().string().rfind("qwo-cscript-", 0) == 0) found.push_back(entry.path());
    return found;
}

}  // namespace

TEST(ScriptHost, ServedAndUnservedCallsGiveWhatNodeGives)
{
    TempDir dir;
    WriteFile(dir / "app.js", "// note\nfunction add(first, second) {\n  /* sum */ return first + second;\n}\n"
                              "console.log(add(1, 2));\n");
    WriteFile(dir / "broken.js", "function (  {\n");
    WriteFile(dir / "empty.js", "");
    WriteFile(dir / "latin1.js", "var s = '\xe9t\xe9';   // caf\xe9\nconsole.log(s);\n");
    WriteFile(dir / "modern.js", "\xef\xbb\xbf/*! keep */ let \xc3\xa9t\xc3\xa9 = a?.b ?? 1;\ntry { f(); } catch\u2028{ "
                                 "x ||= 2; }\nif (a) { b(); } else { c(); } // \xf0\x9f\x98\x80\n");
    WriteFile(dir / "old.js", "var x = a != null ? a : 1; try { f(); } catch (e) {}\nif (!x) x = y && y.z;\n");
    std::string lines;
    for (int i = 0; i < 40; ++i) lines += "call(" + std::to_string(i) + ", 'some text', another);\n";
    WriteFile(dir / "lines.js", lines);
    const std::vector<std::string> names = {"app.js",    "broken.js", "empty.js",  "latin1.js",
                                            "modern.js", "old.js",    "lines.js",  "missing.js"};
    // Without a server first (the host does the work itself), then served.
    for (const bool prepared : {false, true}) {
        if (prepared) {
            ASSERT_EQ(RunProgram({kHost, "//Nologo", "//Prepare", kEsc}).status, 0);
        }
        const std::string path = prepared ? "served-" : "unserved-";
        for (const std::string& name : names) {
            for (const std::string level : {"1", "2", "3", "4"}) {
                const std::string hosted = dir / (path + level + name);
                const std::string direct = dir / ("node-" + level + name);
                const Outcome viaHost = prepared ? Host(level, hosted, dir / name) : Unserved(level, hosted, dir / name);
                const Outcome viaNode = Node(level, direct, dir / name);
                const std::string what = path + name + " " + level;
                EXPECT_EQ(viaHost.status, viaNode.status) << what;
                EXPECT_EQ(viaHost.stderrText, viaNode.stderrText) << what;
                EXPECT_EQ(FileExists(hosted), FileExists(direct)) << what;
                if (FileExists(direct)) {
                    EXPECT_EQ(ReadFile(hosted), ReadFile(direct)) << what;
                }
            }
        }
    }
    EXPECT_EQ(Host("3", dir / "app3.js", dir / "app.js").status, 0);
    EXPECT_EQ(Host("3", dir / "out.js", dir / "broken.js").status, 1);
    EXPECT_EQ(Host("3", dir / "out.js", dir / "broken.js").stderrText,
              "ESC.wsf: esbuild failed: syntax error at line 1, column 10: Expected identifier but found \"(\"\n");
    EXPECT_EQ(Host("3", dir / "no-such-folder/out.js", dir / "app.js").status, 1);
    // File names are bytes to the server (Node.js's own command line would decode them).
    WriteFile(dir / "caf\xe9.js", ReadFile(dir / "app.js"));
    EXPECT_EQ(Host("3", dir / "out-\xe9.js", dir / "caf\xe9.js").status, 0);
    EXPECT_EQ(ReadFile(dir / "out-\xe9.js"), ReadFile(dir / "app3.js"));
}

TEST(ScriptHost, OtherScriptsRunWithNodeAsBefore)
{
    TempDir dir;
    WriteFile(dir / "echo.wsf", "process.stderr.write(process.argv.slice(2).join('|'));\nprocess.exit(3);\n");
    const Outcome outcome = RunProgram({kHost, "//Nologo", "//B", dir / "echo.wsf", "a", "b c", "//x"});
    EXPECT_EQ(outcome.status, 3);
    EXPECT_EQ(outcome.stderrText, "a|b c|//x");
}

TEST(ScriptHost, ServerEndsWithTheProgramItServes)
{
    TempDir dir;
    TempDir base;
    WriteFile(dir / "app.js", "var answer = 6 * 7;\nconsole.log(answer);\n");
    // A program that starts the server ahead, runs the plug-in once and then
    // waits: the server is its, one for both calls.
    const pid_t program = Start({"env", "-u", "XDG_RUNTIME_DIR", "TMPDIR=" + base.Folder(), "bash", "-c",
                                 "\"$0\" //Nologo //Prepare \"$1\" && \"$0\" //Nologo \"$1\" -l 3 -ow \"$2\" \"$3\" && "
                                 "exec sleep 60",
                                 kHost, kEsc, dir / "out.js", dir / "app.js"},
                                -1);
    ASSERT_GT(program, 0);
    ASSERT_TRUE(Within(30, [&] { return FileExists(dir / "out.js"); }));
    const std::vector<std::string> folders = ServerFolders(base.Folder());
    ASSERT_EQ(folders.size(), 1u);
    EXPECT_NE(folders[0].find("-" + std::to_string(program) + "-"), std::string::npos) << folders[0];
    EXPECT_EQ(std::filesystem::status(folders[0]).permissions(), std::filesystem::perms::owner_all);

    ::kill(program, SIGKILL);
    ::waitpid(program, nullptr, 0);
    // Gone within a second of its program (a margin for a loaded machine).
    EXPECT_TRUE(Within(5, [&] { return ServerFolders(base.Folder()).empty(); }));
}

TEST(ScriptHost, CallerKilledInTheMiddleOfAJobLeavesTheServerWorking)
{
    TempDir dir;
    std::string big;
    for (int i = 0; i < 60000; ++i)
        big +=
            "function f" + std::to_string(i) + "(alpha, beta) { return alpha * beta + " + std::to_string(i) + "; }\n";
    WriteFile(dir / "big.js", big);
    WriteFile(dir / "small.js", "var total = 1 + 2;\nconsole.log(total);\n");
    ASSERT_EQ(RunProgram({kHost, "//Nologo", "//Prepare", kEsc}).status, 0);  // the server is up

    const pid_t caller = Start({kHost, "//Nologo", kEsc, "-l", "4", "-ow", dir / "big-out.js", dir / "big.js"}, -1);
    ASSERT_GT(caller, 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    ::kill(caller, SIGKILL);
    ::waitpid(caller, nullptr, 0);

    const Outcome outcome = Host("3", dir / "small-out.js", dir / "small.js");
    EXPECT_EQ(outcome.status, 0) << outcome.stderrText;
    EXPECT_EQ(ReadFile(dir / "small-out.js"), "var total=1+2;console.log(total);");
}

// A server that dies while its program lives on (killed, or unable to start
// under a small memory limit) leaves no folder behind.
TEST(ScriptHost, AServerThatDiesTakesItsFolderWithIt)
{
    TempDir dir;
    WriteFile(dir / "app.js", "var answer = 6 * 7;\nconsole.log(answer);\n");
    struct Case {
        const char* name;
        std::string limit;  // the shell's address-space limit for the plug-in, empty: none
        bool killServer;
    };
    for (const Case& test : {Case{"out of memory at start", "ulimit -v 65536; ", false},
                             Case{"killed while serving", "", true}}) {
        TempDir base;
        // A program that starts the server, runs the plug-in once, says so, and then lives on.
        const pid_t program =
            Start({"env", "-u", "XDG_RUNTIME_DIR", "TMPDIR=" + base.Folder(), "bash", "-c",
                   test.limit + "\"$0\" //Nologo //Prepare \"$1\"; \"$0\" //Nologo \"$1\" -l 3 -ow \"$2\" \"$3\"; "
                   ": > \"$4\"; exec sleep 60", kHost,
                   kEsc, dir / "out.js", dir / "app.js", dir / "called"},
                  -1);
        ASSERT_GT(program, 0);
        ASSERT_TRUE(Within(60, [&] { return FileExists(dir / "called"); })) << test.name;
        if (test.killServer) {
            const std::vector<std::string> folders = ServerFolders(base.Folder());
            ASSERT_EQ(folders.size(), 1u) << test.name;
            const std::vector<pid_t> servers = ProcessesWithArgumentEnding(
                "/" + std::filesystem::path(folders[0]).filename().string());
            ASSERT_EQ(servers.size(), 1u) << test.name;
            ::kill(servers[0], SIGKILL);
        }
        EXPECT_TRUE(Within(30, [&] { return ServerFolders(base.Folder()).empty(); })) << test.name;
        EXPECT_FALSE(ProcessGone(program, 0)) << test.name;  // the folder went with the server, not the program
        ::kill(program, SIGKILL);
        ::waitpid(program, nullptr, 0);
        std::filesystem::remove(dir / "called");
    }
}
