// What the tool runner may rely on from every plug-in adapter: exit status 0
// only with the complete result at the destination, otherwise non-zero with
// one line of reason on stderr and nothing on stdout; no work file left
// behind; its tools die with it, also when it is killed.

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "ToolTestSupport.h"

using namespace tooltest;

extern char** environ;

namespace {

const std::string kPlugins = std::string(QWO_BIN_DIR) + "/plugins/";

struct Outcome {
    int status = -1;
    std::string out;
    std::string err;
};

// Runs a program with TMPDIR set to `tmp`; its stdout and stderr collected.
class Adapter {
public:
    explicit Adapter(const std::string& tmp) : tmp_(tmp) {}

    pid_t Start(const std::vector<std::string>& arguments, int outFd = -1, int errFd = -1) const
    {
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        if (outFd >= 0) posix_spawn_file_actions_adddup2(&actions, outFd, STDOUT_FILENO);
        if (errFd >= 0) posix_spawn_file_actions_adddup2(&actions, errFd, STDERR_FILENO);
        std::vector<std::string> environment{"TMPDIR=" + tmp_};
        for (char** variable = environ; *variable; ++variable)
            if (std::string(*variable).rfind("TMPDIR=", 0) != 0) environment.emplace_back(*variable);
        std::vector<char*> envp, argv;
        for (auto& variable : environment) envp.push_back(variable.data());
        envp.push_back(nullptr);
        for (const auto& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
        argv.push_back(nullptr);
        pid_t pid = -1;
        if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data()) != 0) pid = -1;
        posix_spawn_file_actions_destroy(&actions);
        return pid;
    }

    Outcome Run(const std::vector<std::string>& arguments) const
    {
        TempDir streams;
        const int out = ::open((streams / "out").c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
        const int err = ::open((streams / "err").c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
        const pid_t pid = Start(arguments, out, err);
        ::close(out);
        ::close(err);
        Outcome outcome;
        int status = 0;
        if (pid > 0 && ::waitpid(pid, &status, 0) == pid && WIFEXITED(status)) outcome.status = WEXITSTATUS(status);
        outcome.out = ReadFile(streams / "out");
        outcome.err = ReadFile(streams / "err");
        return outcome;
    }

private:
    std::string tmp_;
};

std::vector<pid_t> ChildrenOf(pid_t parent)
{
    std::vector<pid_t> children;
    for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
        const std::string name = entry.path().filename();
        if (name.find_first_not_of("0123456789") != std::string::npos) continue;
        std::ifstream stat(entry.path() / "stat");
        std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
        const std::size_t close = text.rfind(')');
        if (close == std::string::npos) continue;
        int ppid = 0;
        char state = 0;
        if (std::sscanf(text.c_str() + close + 1, " %c %d", &state, &ppid) == 2 && ppid == parent && state != 'Z')
            children.push_back(std::stoi(name));
    }
    return children;
}

bool Alive(pid_t pid)
{
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    const std::size_t close = text.rfind(')');
    return close != std::string::npos && close + 2 < text.size() && text[close + 2] != 'Z';
}

// What is in `folder` besides the script server's own folder (which lives
// as long as the program it serves, this test).
std::vector<std::string> LeftIn(const std::string& folder)
{
    std::vector<std::string> left;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        if (entry.path().filename().string().rfind("qwo-cscript-", 0) != 0) left.push_back(entry.path());
    return left;
}

template <typename Condition>
bool Within(double seconds, Condition condition)
{
    const auto limit = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > limit) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

class AdapterContractTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(
            std::system(("convert -seed 2 -size 64x48 plasma:fractal -depth 8 " + ShellQuote(dir / "ok.png") +
                         " && convert -seed 2 -size 64x48 plasma:fractal -quality 80 " + ShellQuote(dir / "ok.jpg"))
                            .c_str()),
            0);
        WriteFile(dir / "text.png", "\x89PNG\r\n\x1a\n but nothing after the signature");
        WriteFile(dir / "text.jpg", "not a JPEG at all");
        WriteFile(dir / "ok.js", "var total = 1 + 2;\nconsole.log(total);\n");
        WriteFile(dir / "broken.js", "function (  {\n");
    }

    TempDir dir;
    TempDir tmp;
    Adapter adapter{tmp.Folder()};
};

}  // namespace

TEST_F(AdapterContractTest, StatusReasonAndNoWorkFilesLeft)
{
    const std::string host = std::string(QWO_BIN_DIR) + "/cscript";
    const std::string esc = kPlugins + "ESC.wsf";
    struct Case {
        std::vector<std::string> arguments;
        int status;
        std::string destination;  // that must hold the source's bytes or a result ("" when none)
        std::string reason = "";  // how the line on stderr starts, for status 1
    };
    std::filesystem::copy_file(dir / "ok.jpg", dir / "in-place.jpg");
    std::filesystem::copy_file(dir / "text.jpg", dir / "in-place.txt.jpg");
    // An Exif section whose tag count runs past its end: read as no orientation.
    const std::string exif("\xFF\xE1\x00\x14\x45xif\0\0II*\0\x08\0\0\0\x28\0\x12\x01", 22);
    const std::string jpeg = ReadFile(dir / "ok.jpg");
    WriteFile(dir / "cut-exif.jpg", jpeg.substr(0, 2) + exif + jpeg.substr(2));
    const std::vector<Case> cases{
        {{kPlugins + "jhead.exe", "-purejpg", dir / "in-place.jpg"}, 0, dir / "in-place.jpg"},
        {{kPlugins + "jhead.exe", "-purejpg", dir / "cut-exif.jpg"}, 0, dir / "cut-exif.jpg"},
        {{kPlugins + "jhead.exe", "-dc", dir / "in-place.txt.jpg"}, 1, "", "jhead.exe: not a JPEG file\n"},
        {{kPlugins + "jhead.exe", "-dc", dir / "missing.jpg"}, 1, "", "jhead.exe: cannot read the file\n"},
        {{kPlugins + "jhead.exe"}, 2, ""},
        {{kPlugins + "pngout.exe", "/y", "/q", "/s3", dir / "ok.png", dir / "ok-out.png"}, 0, dir / "ok-out.png"},
        {{kPlugins + "pngout.exe", "/y", "/q", "/s3", dir / "text.png", dir / "text-out.png"}, 1, "",
         "pngout.exe: not a PNG file\n"},
        {{kPlugins + "pngout.exe", "/y", "/q", "/s3", dir / "missing.png", dir / "x.png"}, 1, "",
         "pngout.exe: cannot read the source file\n"},
        {{kPlugins + "pngout.exe", "/y", "/q", "/s3", dir / "ok.png", dir / "no-folder/x.png"}, 1, "",
         "pngout.exe: cannot write the destination file\n"},
        {{kPlugins + "pngout.exe", "ok.png"}, 2, ""},
        {{host, "//Nologo", esc, "-l", "3", "-ow", dir / "ok-out.js", dir / "ok.js"}, 0, dir / "ok-out.js"},
        {{host, "//Nologo", esc, "-l", "3", "-ow", dir / "broken-out.js", dir / "broken.js"}, 1, dir / "broken-out.js",
         "ESC.wsf: esbuild failed: syntax error at line 1, column 10: "},
        {{host, "//Nologo", esc, "-l", "3", "-ow", dir / "x.js", dir / "missing.js"}, 1, "",
         "ESC.wsf: cannot read the source file (ENOENT)\n"},
        {{host, "//Nologo", esc, "-l", "3", "-ow", dir / "no-folder/x.js", dir / "ok.js"}, 1, "",
         "ESC.wsf: cannot write the destination file (ENOENT)\n"},
        {{host, "//Nologo", esc, "-l", "3"}, 2, ""},
    };
    for (const Case& c : cases) {
        std::string line;
        for (const auto& argument : c.arguments) line += argument + " ";
        const Outcome outcome = adapter.Run(c.arguments);
        EXPECT_EQ(outcome.status, c.status) << line << "\n" << outcome.err;
        EXPECT_EQ(outcome.out, "") << line;
        if (c.status == 0) {
            EXPECT_EQ(outcome.err, "") << line;
        } else {
            ASSERT_FALSE(outcome.err.empty()) << line;
            EXPECT_EQ(outcome.err.find('\n'), outcome.err.size() - 1) << line << "\n" << outcome.err;
            // The reason names the tool that failed, never the adapter's files.
            EXPECT_EQ(outcome.err.rfind(c.reason, 0), 0u) << line << "\n" << outcome.err;
            EXPECT_EQ(outcome.err.find(dir.Folder()), std::string::npos) << outcome.err;
        }
        if (!c.destination.empty()) {
            EXPECT_FALSE(ReadFile(c.destination).empty()) << line;
        }
        EXPECT_TRUE(LeftIn(tmp.Folder()).empty()) << line;
    }
    // The failed script's destination holds its source's bytes.
    EXPECT_EQ(ReadFile(dir / "broken-out.js"), ReadFile(dir / "broken.js"));
    EXPECT_EQ(ReadFile(dir / "in-place.txt.jpg"), ReadFile(dir / "text.jpg"));
    EXPECT_EQ(std::filesystem::directory_iterator(dir.Folder())->path().filename().string().rfind(".jhead", 0),
              std::string::npos);
}

TEST_F(AdapterContractTest, ToolsDieWithTheAdapter)
{
    // A PNG whose 16-bit samples go to the tools, large enough that they run
    // for a while.
    ASSERT_EQ(
        std::system(("convert -seed 9 -size 600x400 plasma:fractal -depth 16 " + ShellQuote(dir / "big.png")).c_str()),
        0);
    for (const int signal : {SIGKILL, SIGTERM}) {
        const pid_t pid =
            adapter.Start({kPlugins + "pngout.exe", "/y", "/q", "/s0", dir / "big.png", dir / "big-out.png"});
        ASSERT_GT(pid, 0);
        std::vector<pid_t> tools;
        ASSERT_TRUE(Within(20, [&] { return !(tools = ChildrenOf(pid)).empty(); }));
        std::set<pid_t> all(tools.begin(), tools.end());
        for (pid_t tool : tools)
            for (pid_t grandchild : ChildrenOf(tool)) all.insert(grandchild);
        ::kill(pid, signal);
        ::waitpid(pid, nullptr, 0);
        EXPECT_TRUE(Within(2,
                           [&] {
                               for (pid_t tool : all)
                                   if (Alive(tool)) return false;
                               return true;
                           }))
            << "signal " << signal;
        // A signal it can catch also removes its work folder.
        if (signal == SIGTERM) {
            EXPECT_TRUE(std::filesystem::is_empty(tmp.Folder()));
        }
        std::filesystem::remove_all(tmp.Folder());
        std::filesystem::create_directories(tmp.Folder());
    }
}
