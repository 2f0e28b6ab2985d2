// The command line as people run it: in a terminal (a pseudo-terminal here),
// at its defaults and at several job counts, the progress line included.

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <functional>
#include <regex>

#include "TestSupport.h"

namespace {

using ::testing::HasSubstr;
using ::testing::Not;

constexpr unsigned short kColumns = 100;

struct TerminalRun {
    int status = -1;     // the exit status; -1 when it ended by a signal
    std::string screen;  // every byte written to the terminal
};

// Runs the program under a new pseudo-terminal of kColumns columns (all three
// standard streams on it), with `variables` set ("NAME=value", or "NAME" to
// remove one), until it ends. `watch` sees the output so far after each read.
TerminalRun RunInTerminal(const std::vector<std::string>& command, const std::vector<std::string>& variables = {},
                          const std::function<void(const std::string&)>& watch = {})
{
    winsize size{};
    size.ws_col = kColumns;
    size.ws_row = 30;
    int terminal = -1;
    const pid_t child = ::forkpty(&terminal, nullptr, nullptr, &size);
    if (child == 0) {
        for (const std::string& variable : variables) {
            const std::size_t equals = variable.find('=');
            if (equals == std::string::npos)
                ::unsetenv(variable.c_str());
            else
                ::setenv(variable.substr(0, equals).c_str(), variable.substr(equals + 1).c_str(), 1);
        }
        std::vector<char*> argv;
        for (const std::string& argument : command) argv.push_back(const_cast<char*>(argument.c_str()));
        argv.push_back(nullptr);
        ::execvp(argv[0], argv.data());
        ::_exit(127);
    }
    TerminalRun run;
    if (child < 0) return run;
    const auto limit = std::chrono::steady_clock::now() + std::chrono::minutes(5);
    for (;;) {
        pollfd ready{terminal, POLLIN, 0};
        if (std::chrono::steady_clock::now() > limit) ::kill(child, SIGKILL);
        if (::poll(&ready, 1, 1000) == 0) continue;
        char buffer[4096];
        const ssize_t got = ::read(terminal, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) break;  // EIO: every writer has closed the terminal
        run.screen.append(buffer, static_cast<std::size_t>(got));
        if (watch) watch(run.screen);
    }
    ::close(terminal);
    int raw = 0;
    ::waitpid(child, &raw, 0);
    run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    return run;
}

std::vector<std::string> Program(std::vector<std::string> arguments)
{
    arguments.insert(arguments.begin(), std::string(QWO_BIN_DIR) + "/quorvan-optimize");
    return arguments;
}

// The progress lines drawn: the pieces of the screen between carriage returns
// and new lines that start with "[done/total]", erase sequences removed.
std::vector<std::string> ProgressLines(const std::string& screen)
{
    std::vector<std::string> lines;
    std::string piece;
    for (const char c : screen + "\n") {
        if (c != '\r' && c != '\n') {
            piece += c;
            continue;
        }
        for (std::size_t at; (at = piece.find("\x1b[K")) != std::string::npos;) piece.erase(at, 3);
        if (piece.rfind("[", 0) == 0 && piece.find("] ") != std::string::npos) lines.push_back(piece);
        piece.clear();
    }
    return lines;
}

// Every progress line is narrower than the terminal and counts at most
// `total` files of `total`; the last one drawn is blanked before the table.
void ExpectSoundProgress(const TerminalRun& run, std::size_t total)
{
    const std::vector<std::string> lines = ProgressLines(run.screen);
    ASSERT_FALSE(lines.empty()) << run.screen;
    const std::regex counts(R"(^\[(\d+)/(\d+)\] .* elapsed.*)");
    for (const std::string& line : lines) {
        std::smatch match;
        ASSERT_TRUE(std::regex_match(line, match, counts)) << line;
        EXPECT_LE(std::stoul(match[1]), total) << line;
        EXPECT_EQ(std::stoul(match[2]), total) << line;
        EXPECT_LT(line.size(), std::size_t{kColumns}) << line;
    }
    EXPECT_THAT(run.screen, HasSubstr("\r\x1b[K"));
}

// The temporary files left anywhere below `folder`.
std::vector<std::string> Leftovers(const std::string& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
        const std::string name = entry.path().filename().string();
        if (name.rfind(".qwo-", 0) == 0 || name.rfind("_temporary", 0) == 0) names.push_back(entry.path().string());
    }
    return names;
}

std::size_t FilesBelow(const std::string& folder)
{
    std::size_t count = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) count += entry.is_regular_file();
    return count;
}

// Plug-ins that copy their source unchanged after `delay` of shell code.
std::string SlowPlugins(const TempDir& dir, const std::string& delay)
{
    const std::string folder = dir / "slow-plugins/";
    WriteFile(folder + "pngout.exe", "#!/bin/bash\n" + delay + "\ncp -- \"${*: -2:1}\" \"${*: -1}\"\n");
    WriteFile(folder + "jhead.exe", "#!/bin/bash\n" + delay + "\n");
    WriteFile(folder + "ESC.wsf", "require('child_process').execSync(" + Quoted(delay) +
                                      ");\nconst a = process.argv;\n"
                                      "require('fs').copyFileSync(a[a.length - 1], a[a.length - 2]);\n");
    for (const char* name : {"pngout.exe", "jhead.exe"})
        std::filesystem::permissions(folder + name, std::filesystem::perms::owner_all);
    return folder;
}

const std::string kSampleSite = std::string(QWO_SOURCE_DIR) + "/examples/site";

}  // namespace

TEST(TerminalTest, TheSampleSiteAtTheDefaultsAndEveryJobCount)
{
    for (const std::vector<std::string>& jobs :
         std::vector<std::vector<std::string>>{{}, {"-j", "1"}, {"-j", "2"}, {"-j", "8"}}) {
        SCOPED_TRACE(jobs.empty() ? std::string("defaults") : jobs[1]);
        TempDir dir;
        std::vector<std::string> arguments = jobs;
        arguments.insert(arguments.end(), {"-o", dir / "out", kSampleSite});
        const TerminalRun run = RunInTerminal(Program(arguments));
        EXPECT_EQ(run.status, 0) << run.screen;
        EXPECT_THAT(run.screen, HasSubstr("TOTAL"));
        ExpectSoundProgress(run, FilesBelow(kSampleSite));
        EXPECT_EQ(FilesBelow(dir / "out"), FilesBelow(kSampleSite));
        EXPECT_THAT(Leftovers(dir.Path()), ::testing::IsEmpty());
    }
}

TEST(TerminalTest, AGeneratedSiteWithSlowPlugins)
{
    for (const char* jobs : {"1", "2", "8"}) {
        SCOPED_TRACE(jobs);
        TempDir dir;
        WriteGeneratedSite(dir / "site");
        const std::string plugins = SlowPlugins(dir, "sleep 0.1");
        const TerminalRun run = RunInTerminal(Program({"-j", jobs, "--plugin-dir", plugins, "-o", dir / "out", dir / "site"}));
        EXPECT_EQ(run.status, 0) << run.screen;
        EXPECT_THAT(run.screen, HasSubstr("TOTAL"));
        ExpectSoundProgress(run, 300);
        EXPECT_EQ(FilesBelow(dir / "out"), 300u);
        EXPECT_THAT(Leftovers(dir.Path()), ::testing::IsEmpty());
    }
}

// While a plug-in works and no file ends, the line is still redrawn: its clock
// moves and it names the file under way.
TEST(TerminalTest, TheClockMovesWhileAPluginWorks)
{
    TempDir dir;
    WriteFile(dir / "site/logo.png", SampleFile("images/logo.png"));
    const std::string release = dir / "release";
    const std::string plugins =
        SlowPlugins(dir, "i=0; while [ ! -e " + Quoted(release) + " ] && [ $i -lt 600 ]; do sleep 0.1; i=$((i+1)); done");
    const TerminalRun run =
        RunInTerminal(Program({"-o", dir / "out", "--plugin-dir", plugins, dir / "site"}), {}, [&](const std::string& screen) {
            for (const std::string& line : ProgressLines(screen))
                if (line.find("[0/1]") == 0 && line.find("0:01 elapsed") != std::string::npos &&
                    line.find("logo.png") != std::string::npos)
                    WriteFile(release, "");
        });
    EXPECT_EQ(run.status, 0) << run.screen;
    EXPECT_TRUE(FileExists(release)) << "the line was never redrawn while the plug-in worked:\n" << run.screen;
}

// A damaged file name cannot break the line or send escape sequences.
TEST(TerminalTest, FileNamesAreShownSafely)
{
    TempDir dir;
    const std::string name = std::string("a\x1b[2J\nb\xff") + std::string(150, 'x') + ".txt";
    WriteFile(dir / ("site/" + name), "text");
    const TerminalRun run = RunInTerminal(Program({"-o", dir / "out", dir / "site"}));
    EXPECT_EQ(run.status, 0) << run.screen;
    for (const std::string& line : ProgressLines(run.screen)) EXPECT_THAT(line, Not(HasSubstr("\x1b[2J")));
    EXPECT_TRUE(FileExists(dir / ("out/" + name)));
}

// `make run` without a display: the command line over the sample site.
TEST(TerminalTest, MakeRunWithoutADisplay)
{
    TempDir dir;
    const TerminalRun run =
        RunInTerminal({"bash", std::string(QWO_SOURCE_DIR) + "/scripts/run.sh", std::string(QWO_BIN_DIR) + "/.."},
                      {"DISPLAY", "WAYLAND_DISPLAY", "QWO_RUN_OUT=" + dir / "out"});
    EXPECT_EQ(run.status, 0) << run.screen;
    EXPECT_THAT(run.screen, HasSubstr("TOTAL"));
    EXPECT_TRUE(FileExists(dir / "out/report.html"));
    EXPECT_THAT(Leftovers(dir.Path()), ::testing::IsEmpty());
}

// A run removes what a killed run left in its output folders, never what a
// live process writes.
TEST(TerminalTest, ARunRemovesTheTemporaryFilesOfEndedRuns)
{
    TempDir dir;
    WriteFile(dir / "site/a.css", "a { color : red }");
    WriteFile(dir / "site/css/b.css", "b { color : red }");
    const pid_t ended = [] {
        const pid_t child = ::fork();
        if (child == 0) ::_exit(0);
        ::waitpid(child, nullptr, 0);
        return child;
    }();
    const std::string gone = ".qwo-" + std::to_string(ended) + "-0123456789abcdef.png";
    const std::string goneScript = "_temporary." + std::to_string(ended) + "-0123456789abcdef.t3mp";
    const std::string live = ".qwo-" + std::to_string(::getpid()) + "-0123456789abcdef.png";
    for (const std::string folder : {"out/", "out/css/"})  // every output folder of the site's tree
        for (const std::string& name : {gone, goneScript, live, std::string(".qwo-notes.txt")})
            WriteFile(dir / (folder + name), "left");
    const TerminalRun run = RunInTerminal(Program({"-o", dir / "out", dir / "site"}));
    EXPECT_EQ(run.status, 0) << run.screen;
    for (const std::string folder : {"out/", "out/css/"}) {
        EXPECT_FALSE(FileExists(dir / (folder + gone))) << folder;
        EXPECT_FALSE(FileExists(dir / (folder + goneScript))) << folder;
        EXPECT_TRUE(FileExists(dir / (folder + live))) << folder;
        EXPECT_TRUE(FileExists(dir / (folder + ".qwo-notes.txt"))) << folder;
    }
}
