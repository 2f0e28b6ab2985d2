// quorvan-optimize under attack, as built: links and hard links in the output
// folder, an output folder that is a source folder, a report over a source,
// two runs into one folder, a full file system, signals and kill -9 during a
// plug-in, a plug-in that never ends, an unwritable output folder, named
// pipes, a PNG that declares a huge image, a file name that is not UTF-8.
// The sources never change; an output is whole or not there at all.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <map>
#include <thread>

#include "TestSupport.h"
#include "tests/support/Processes.h"

using ::testing::HasSubstr;
using ::testing::StartsWith;

namespace fs = std::filesystem;

namespace {

// How long a process group is waited for to end: no bound on how fast, only a
// guard so that a group that never ends fails its test instead of hanging it.
constexpr int kUntilEnded = 60000;

// Every regular file below a folder with its bytes.
std::map<std::string, std::string> Snapshot(const std::string& folder)
{
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(folder))
        if (entry.is_regular_file() && !entry.is_symlink()) files[entry.path()] = ReadFile(entry.path());
    return files;
}

// The temporary files a run left in a folder.
std::vector<std::string> Leftovers(const std::string& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        const std::string name = entry.path().filename();
        if (name.rfind(".qwo-", 0) == 0 || name.rfind("_temporary", 0) == 0) names.push_back(name);
    }
    return names;
}

std::string Sample(const std::string& path)
{
    return ReadFile(std::string(QWO_SOURCE_DIR) + "/examples/site/" + path);
}

// An executable shell script.
void WriteScript(const std::string& path, const std::string& body)
{
    WriteFile(path, "#!/bin/sh\n" + body + "\n");
    ::chmod(path.c_str(), 0755);
}

// A plug-in folder whose pngout.exe is the given script; the other plug-ins
// are the real ones.
std::string PluginsWithPng(const TempDir& dir, const std::string& pngScript)
{
    const std::string folder = dir / "fake-plugins/";
    for (const char* name : {"jhead.exe", "ESC.wsf"}) {
        WriteFile(folder + name, ReadFile(std::string(QWO_BIN_DIR) + "/plugins/" + name));
        ::chmod((folder + name).c_str(), 0755);
    }
    WriteScript(folder + "pngout.exe", pngScript);
    return folder;
}

// A mount for the length of a test; `ok` is false when this machine allows none
// (not root, or no mount rights).
class Mount {
public:
    // A tmpfs of `size` bytes on the folder.
    static Mount Tmpfs(const std::string& folder, std::size_t size)
    {
        const std::string options = "size=" + std::to_string(size);
        return Mount(folder, ::mount("tmpfs", folder.c_str(), "tmpfs", 0, options.c_str()) == 0);
    }
    // The folder made read-only where it is.
    static Mount ReadOnly(const std::string& folder)
    {
        if (::mount(folder.c_str(), folder.c_str(), nullptr, MS_BIND, nullptr) != 0) return Mount(folder, false);
        Mount bound(folder, true);
        bound.ok = ::mount(nullptr, folder.c_str(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr) == 0;
        return bound;
    }
    Mount(Mount&& other) noexcept : ok(other.ok), folder_(other.folder_), mounted_(other.mounted_)
    {
        other.mounted_ = false;
    }
    ~Mount()
    {
        if (mounted_) ::umount2(folder_.c_str(), MNT_DETACH);
    }
    bool ok;

private:
    Mount(std::string folder, bool mounted) : ok(mounted), folder_(std::move(folder)), mounted_(mounted) {}
    std::string folder_;
    bool mounted_;
};

// Fills the file system that holds `folder` to the last byte.
void FillUp(const std::string& folder)
{
    FILE* file = std::fopen((folder + "/filler").c_str(), "wb");
    ASSERT_NE(file, nullptr);
    const std::string block(4096, 'f');
    while (std::fwrite(block.data(), 1, block.size(), file) == block.size() && std::fflush(file) == 0) {}
    std::fclose(file);
    for (int i = 0; i < 64; ++i)  // and the last partial block
        if (FILE* more = std::fopen((folder + "/filler").c_str(), "ab")) {
            const bool written = std::fputc('f', more) != EOF && std::fflush(more) == 0;
            std::fclose(more);
            if (!written) break;
        }
}

// A valid PNG declaring width x height pixels (8-bit RGBA) whose image data
// (one stored deflate block of zero bytes) ends long before the image does.
std::string HugePng(std::uint32_t width, std::uint32_t height)
{
    auto be32 = [](std::uint32_t v) { return std::string{char(v >> 24), char(v >> 16), char(v >> 8), char(v)}; };
    auto crc32 = [](const std::string& bytes) {
        std::uint32_t crc = 0xFFFFFFFFu;
        for (const char c : bytes) {
            crc ^= static_cast<unsigned char>(c);
            for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
        }
        return ~crc;
    };
    auto chunk = [&](const std::string& type, const std::string& data) {
        return be32(static_cast<std::uint32_t>(data.size())) + type + data + be32(crc32(type + data));
    };
    const std::string header = be32(width) + be32(height) + std::string{8, 6, 0, 0, 0};
    const std::uint16_t length = 40000;
    std::string deflate{'\x78',
                        '\x01',
                        '\x01',
                        char(length & 0xFF),
                        char(length >> 8),
                        char(~length & 0xFF),
                        char((~length >> 8) & 0xFF)};
    deflate += std::string(length, '\0');
    return std::string("\x89PNG\r\n\x1a\n", 8) + chunk("IHDR", header) + chunk("IDAT", deflate) + chunk("IEND", "");
}

}  // namespace

TEST(Attacks, DestinationsThatCouldDestroyASourceAreRefused)
{
    struct Case {
        const char* name;
        std::function<void(const TempDir&)> prepare;
        std::vector<std::string> arguments;  // "@" stands for the temp folder
        std::string error;                   // the whole of standard error
    };
    const std::vector<Case> cases{
        {"symbolic link in the output folder to another source",
         [](const TempDir& dir) { fs::create_symlink(dir / "site/style.css", dir / "out/page.html"); },
         {"-o", "@/out", "@/site/page.html", "@/site/style.css"},
         "@/site/page.html: Cannot create file \"@/out/page.html\". The destination is the listed source "
         "\"@/site/style.css\".\n"},
        {"hard link in the output folder to another source",
         [](const TempDir& dir) { fs::create_hard_link(dir / "site/style.css", dir / "out/page.html"); },
         {"-o", "@/out/", "@/site/page.html", "@/site/style.css"},
         "@/site/page.html: Cannot create file \"@/out/page.html\". The destination is the listed source "
         "\"@/site/style.css\".\n"},
        {"dangling link in the output folder",
         [](const TempDir& dir) { fs::create_symlink(dir / "elsewhere/page.html", dir / "out/page.html"); },
         {"-o", "@/out/", "@/site/page.html"},
         "@/site/page.html: Cannot create file \"@/out/page.html\". A link leads it to \"@/elsewhere/page.html\", "
         "outside the output folder \"@/out/\".\n"},
        {"output folder that is a source folder",
         [](const TempDir&) {},
         {"--allow-overwrite", "-o", "@/site/", "@/site/sub/style.css", "@/site/style.css"},
         "@/site/sub/style.css: Cannot create file \"@/site/style.css\". The destination is the listed source "
         "\"@/site/style.css\".\n"},
        {"site: output folder that is the site",
         [](const TempDir&) {},
         {"-o", "@/site", "@/site"},
         "@/site/page.html: Cannot create file \"@/site/page.html\". The destination is the source file.\n"},
        {"site: folder link in the output folder to a source folder",
         [](const TempDir& dir) { fs::create_symlink(dir / "site/sub", dir / "out/sub"); },
         {"-o", "@/out", "@/site"},
         "@/site/sub/style.css: Cannot create file \"@/out/sub/style.css\". The destination is the source file.\n"},
        {"site: hard link in the output folder to another source",
         [](const TempDir& dir) { fs::create_hard_link(dir / "site/style.css", dir / "out/page.html"); },
         {"-o", "@/out", "@/site"},
         "@/site/page.html: Cannot create file \"@/out/page.html\". The destination is the listed source "
         "\"@/site/style.css\".\n"},
        {"site: dangling folder link in the output folder",
         [](const TempDir& dir) { fs::create_symlink(dir / "elsewhere/sub", dir / "out/sub"); },
         {"-o", "@/out", "@/site"},
         "@/site/sub/style.css: Cannot create file \"@/out/sub/style.css\". \"@/out/sub/\" is a link or not a "
         "folder; it is not followed.\n"},
        {"site: folder link in the output folder to a folder outside",
         [](const TempDir& dir) {
             fs::create_directories(dir / "other");
             fs::create_symlink(dir / "other", dir / "out/sub");
         },
         {"-o", "@/out", "@/site"},
         "@/site/sub/style.css: Cannot create file \"@/out/sub/style.css\". A link leads it to "
         "\"@/other/style.css\", outside the output folder \"@/out/\".\n"},
        {"report over a source",
         [](const TempDir&) {},
         {"-o", "@/out", "--report", "@/site/page.html", "@/site/page.html", "@/site/style.css"},
         "quorvan-optimize: Cannot create file \"@/site/page.html\". The report would replace the listed source "
         "\"@/site/page.html\".\n"},
    };
    for (const Case& test : cases) {
        TempDir dir;
        WriteFile(dir / "site/page.html", "<p>a   page</p>");
        WriteFile(dir / "site/style.css", "a { color: red }");
        WriteFile(dir / "site/sub/style.css", "b { color: blue }");
        fs::create_directories(dir / "out");
        test.prepare(dir);
        const auto before = Snapshot(dir / "site");
        auto at = [&](std::string text) {
            for (std::size_t pos; (pos = text.find('@')) != std::string::npos;) text.replace(pos, 1, dir.Path());
            return text;
        };
        std::vector<std::string> arguments;
        for (const auto& argument : test.arguments) arguments.push_back(at(argument));
        const Outcome outcome = RunProgram(dir, arguments);
        EXPECT_EQ(outcome.status, 1) << test.name;
        EXPECT_EQ(outcome.err, at(test.error)) << test.name;
        EXPECT_EQ(Snapshot(dir / "site"), before) << test.name;
        EXPECT_FALSE(fs::exists(dir / "elsewhere")) << test.name;
        EXPECT_FALSE(fs::exists(dir / "other/style.css")) << test.name;
        EXPECT_TRUE(Leftovers(dir / "out").empty()) << test.name;
    }
}

TEST(Attacks, TwoRunsWithScriptsIntoOneFolderKeepTheirOwnScripts)
{
    TempDir dir;
    auto page = [](const std::string& run, int number) {
        std::string text = "<html><body>\n";
        for (int i = 0; i < 3; ++i)
            text += "<script>\n  var value_" + run + "_" + std::to_string(number) + "_" + std::to_string(i) +
                    " = 1;  // note\n</script>\n";
        return text + "</body></html>\n";
    };
    for (const std::string run : {"a", "b"})
        for (int number = 0; number < 2; ++number)
            WriteFile(dir / (run + "/" + run + std::to_string(number) + ".html"), page(run, number));
    const auto before = Snapshot(dir.Path());
    const TempDir logsA, logsB;
    const pid_t a = StartProgram(logsA, {"--html", "2", "--js", "3", "-o", dir / "out", dir / "a"});
    const pid_t b = StartProgram(logsB, {"--html", "2", "--js", "3", "-o", dir / "out", dir / "b"});
    int statusA = 0, statusB = 0;
    ASSERT_EQ(::waitpid(a, &statusA, 0), a);
    ASSERT_EQ(::waitpid(b, &statusB, 0), b);
    EXPECT_EQ(statusA, 0) << ReadFile(logsA / "stderr");
    EXPECT_EQ(statusB, 0) << ReadFile(logsB / "stderr");
    for (const std::string run : {"a", "b"})
        for (int number = 0; number < 2; ++number) {
            const std::string result = ReadFile(dir / ("out/" + run + std::to_string(number) + ".html"));
            for (int i = 0; i < 3; ++i)
                EXPECT_THAT(result,
                            HasSubstr("value_" + run + "_" + std::to_string(number) + "_" + std::to_string(i) + "=1"));
            EXPECT_EQ(result.find("value_" + std::string(run == "a" ? "b" : "a")), std::string::npos) << result;
            EXPECT_EQ(result.find("note"), std::string::npos) << result;
        }
    EXPECT_TRUE(Leftovers(dir / "out").empty());
    for (const auto& [path, bytes] : before) EXPECT_EQ(ReadFile(path), bytes) << path;
}

TEST(Attacks, AFullFileSystemKeepsEveryEarlierOutput)
{
    TempDir dir;
    fs::create_directories(dir / "full");
    const Mount tmpfs = Mount::Tmpfs(dir / "full", 256 * 1024);
    if (!tmpfs.ok) GTEST_SKIP() << "no tmpfs can be mounted here";
    WriteFile(dir / "site/style.css", std::string(20000, ' ') + "a { color: red }\n" + Sample("css/style.css"));
    WriteFile(dir / "site/banner.gif", Sample("images/banner.gif"));
    WriteFile(dir / "site/photo.jpg", Sample("images/photo.jpg"));
    WriteFile(dir / "site/logo.png", Sample("images/logo.png"));
    WriteFile(dir / "site/app.js", Sample("js/app.js"));
    WriteFile(dir / "site/index.html", Sample("index.html"));
    WriteFile(dir / "site/robots.txt", Sample("robots.txt"));
    const auto before = Snapshot(dir / "site");
    std::vector<std::string> names;
    for (const auto& [path, bytes] : before) names.push_back(fs::path(path).filename());
    for (const auto& name : names) WriteFile(dir / ("full/" + name), "earlier " + name);
    WriteFile(dir / "full/report.html", "earlier report");
    FillUp(dir / "full");

    for (const auto& name : names) {
        const Outcome outcome = RunProgram(dir, {"--png", "1", "-o", dir / "full", dir / ("site/" + name)});
        EXPECT_EQ(outcome.status, 1) << name << "\n" << outcome.err;
        EXPECT_THAT(outcome.err, StartsWith(dir / ("site/" + name) + ": ")) << name;
        EXPECT_EQ(ReadFile(dir / ("full/" + name)), "earlier " + name);
        EXPECT_TRUE(Leftovers(dir / "full").empty()) << name;
    }
    const Outcome report =
        RunProgram(dir, {"-o", dir / "out", "--report", dir / "full/report.html", dir / "site/robots.txt"});
    EXPECT_EQ(report.status, 1);
    EXPECT_THAT(report.err, HasSubstr("cannot write the report"));
    EXPECT_EQ(ReadFile(dir / "full/report.html"), "earlier report");
    EXPECT_TRUE(Leftovers(dir / "full").empty());
    EXPECT_EQ(Snapshot(dir / "site"), before);
}

TEST(Attacks, EndingTheProgramDuringASlowPluginLeavesNothingRunning)
{
    // A slow PNG plug-in that runs its tool as the plug-in contract says (with
    // a parent-death signal), and a slow script plug-in under a page's script
    // element (its temporary files beside the page).
    struct Case {
        std::string name;
        std::string source;
    };
    const std::vector<Case> cases{{"logo.png", Sample("images/logo.png")},
                                  {"page.html", "<p>x</p><script>\n  var a = 1;\n</script>"}};
    for (const Case& test : cases)
        for (const int signal : {SIGKILL, SIGTERM, SIGINT, SIGHUP}) {
            TempDir dir;
            const std::string plugins =
                PluginsWithPng(dir, "echo $$ > '" + dir / "pid" + "'\nsetpriv --pdeathsig KILL sleep 1000");
            WriteFile(plugins + "ESC.wsf", "require('fs').writeFileSync('" + dir / "pid" +
                                               "', String(process.pid));\nsetInterval(() => {}, 1000);\n");
            WriteFile(dir / ("site/" + test.name), test.source);
            WriteFile(dir / ("out/" + test.name), "earlier");
            const auto before = Snapshot(dir / "site");
            const pid_t program =
                StartProgram(dir, {"--plugin-dir", plugins, "-o", dir / "out", dir / ("site/" + test.name)});
            ASSERT_GT(program, 0);
            for (int i = 0; i < 1000 && (!FileExists(dir / "pid") || ReadFile(dir / "pid").empty()); ++i)
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            const pid_t plugin = std::stoi(ReadFile(dir / "pid"));
            std::this_thread::sleep_for(std::chrono::milliseconds(100));  // its tool is running too
            ASSERT_EQ(::kill(program, signal), 0);
            int status = 0;
            ASSERT_EQ(::waitpid(program, &status, 0), program);
            EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal) << test.name << " " << signal;

            const auto alive = ProcessGroupMembers(plugin, kUntilEnded);
            EXPECT_TRUE(alive.empty()) << test.name << " " << signal << ": " << alive.size() << " left";
            for (const pid_t pid : alive) ::kill(pid, SIGKILL);
            EXPECT_EQ(ReadFile(dir / ("out/" + test.name)), "earlier") << test.name << " " << signal;
            if (signal != SIGKILL) {  // on kill -9 nothing of the program runs: its temporary files stay
                EXPECT_TRUE(Leftovers(dir / "out").empty()) << test.name << " " << signal;
            }
            EXPECT_EQ(Snapshot(dir / "site"), before);
        }
}

TEST(Attacks, APluginThatNeverEndsTimesOut)
{
    TempDir dir;
    const std::string plugins = PluginsWithPng(dir, "echo $$ > '" + dir / "pid" + "'\nwhile :; do sleep 1; done");
    WriteFile(dir / "site/logo.png", Sample("images/logo.png"));
    WriteFile(dir / "site/robots.txt", "after");
    WriteFile(dir / "out/logo.png", "earlier");
    const auto before = Snapshot(dir / "site");
    const Outcome outcome = RunProgram(dir, {"-j", "1", "--tool-timeout", "2", "--plugin-dir", plugins, "-o",
                                             dir / "out", dir / "site/logo.png", dir / "site/robots.txt"});
    EXPECT_EQ(outcome.status, 1);
    EXPECT_EQ(outcome.err, dir / "site/logo.png: pngout.exe timed out after 2 s\n");
    EXPECT_TRUE(ProcessGroupMembers(std::stoi(ReadFile(dir / "pid")), kUntilEnded).empty());
    EXPECT_EQ(ReadFile(dir / "out/logo.png"), "earlier");
    EXPECT_FALSE(FileExists(dir / "out/robots.txt"));
    EXPECT_TRUE(Leftovers(dir / "out").empty());
    EXPECT_EQ(Snapshot(dir / "site"), before);
}

TEST(Attacks, AnUnwritableOutputFolderFailsThePluginFiles)
{
    TempDir dir;
    WriteFile(dir / "site/logo.png", Sample("images/logo.png"));
    WriteFile(dir / "site/app.js", Sample("js/app.js"));
    WriteFile(dir / "site/photo.jpg", Sample("images/photo.jpg"));
    WriteFile(dir / "site/index.html", "<p>x</p><script>\n  var a = 1;\n</script>");
    fs::create_directories(dir / "out");
    const Mount readOnly = Mount::ReadOnly(dir / "out");
    if (!readOnly.ok) GTEST_SKIP() << "no read-only mount can be made here";
    const auto before = Snapshot(dir / "site");
    for (const char* name : {"logo.png", "app.js", "photo.jpg", "index.html"}) {
        const Outcome outcome = RunProgram(dir, {"--png", "1", "-o", dir / "out", dir / ("site/" + std::string(name))});
        EXPECT_EQ(outcome.status, 1) << name;
        EXPECT_THAT(outcome.err, StartsWith(dir / ("site/" + std::string(name)) + ": Cannot create file \""))
            << outcome.err;
        EXPECT_THAT(outcome.err, HasSubstr("Read-only file system")) << outcome.err;
    }
    EXPECT_TRUE(fs::is_empty(dir / "out"));
    EXPECT_EQ(Snapshot(dir / "site"), before);
}

TEST(Attacks, NamedPipesAreNeverOpened)
{
    // A pipe at the destination of each kind of file, and as a source: no
    // run waits for a reader or writer.
    TempDir dir;
    const std::vector<std::string> names{"style.css", "banner.gif", "index.html", "app.js",
                                         "logo.png",  "photo.jpg",  "robots.txt"};
    const std::vector<std::string> samples{"css/style.css",   "images/banner.gif", "index.html", "js/app.js",
                                           "images/logo.png", "images/photo.jpg",  "robots.txt"};
    fs::create_directories(dir / "out");
    fs::create_directories(dir / "pipes");
    for (std::size_t i = 0; i < names.size(); ++i) {
        WriteFile(dir / ("site/" + names[i]), Sample(samples[i]));
        ASSERT_EQ(::mkfifo((dir / ("out/" + names[i])).c_str(), 0600), 0);
        ASSERT_EQ(::mkfifo((dir / ("pipes/" + names[i])).c_str(), 0600), 0);
    }
    const auto before = Snapshot(dir / "site");
    for (const auto& name : names) {
        const Outcome outcome = RunProgram(dir, {"--png", "1", "-o", dir / "out", dir / ("site/" + name)});
        EXPECT_EQ(outcome.status, 1) << name;
        EXPECT_EQ(outcome.err, dir / ("site/" + name) + ": Cannot create file \"" + dir / ("out/" + name) +
                                   "\". Not a regular file\n");
        EXPECT_TRUE(fs::is_fifo(dir / ("out/" + name))) << name;

        const Outcome source = RunProgram(dir, {"-o", dir / "out2", dir / ("pipes/" + name)});
        EXPECT_EQ(source.status, 2) << name;
        EXPECT_THAT(source.err, HasSubstr("is neither a file nor a folder")) << name;
    }
    EXPECT_FALSE(fs::exists(dir / "out2") && !fs::is_empty(dir / "out2"));
    EXPECT_TRUE(Leftovers(dir / "out").empty());
    EXPECT_EQ(Snapshot(dir / "site"), before);
}

TEST(Attacks, APngThatDeclaresAHugeImageCannotTakeTheMachine)
{
    // 1000000 x 1000000 pixels (libpng's largest, too many to check before
    // the plug-in runs) declared in a few kilobytes. The memory limit bounds
    // the tool that tries to hold the image; here a plain plug-in that runs
    // optipng directly, so its failure is the file's.
    TempDir dir;
    WriteFile(dir / "site/huge.png", HugePng(1000000, 1000000));
    const std::string plugins = PluginsWithPng(
        dir, "report=$(optipng -o2 -force -out \"$5\" \"$4\" 2>&1) || { echo \"$report\" | grep Error >&2; exit 1; }");
    const auto before = Snapshot(dir / "site");
    const Outcome outcome =
        RunProgram(dir, {"--tool-memory", "256", "--plugin-dir", plugins, "-o", dir / "out", dir / "site/huge.png"});
    EXPECT_EQ(outcome.status, 1);
    EXPECT_THAT(outcome.err, StartsWith(dir / "site/huge.png: pngout.exe failed with exit status 1: "));
    EXPECT_THAT(outcome.err, HasSubstr("Out of memory"));
    EXPECT_FALSE(FileExists(dir / "out/huge.png"));
    EXPECT_TRUE(Leftovers(dir / "out").empty());
    EXPECT_EQ(Snapshot(dir / "site"), before);
}

TEST(Attacks, AScriptNameThatIsNotUtf8IsNeverAFalseSuccess)
{
    TempDir dir;
    const std::string source = dir / "site/s\xfc\xdf.js";
    WriteFile(source, "var   total = 1;  // a note\n");
    const Outcome outcome = RunProgram(dir, {"-o", dir / "\xf6ut", source});
    const std::string destination = dir / "\xf6ut/s\xfc\xdf.js";
    if (outcome.status == 0) {
        EXPECT_EQ(ReadFile(destination).find("note"), std::string::npos);
    } else {
        EXPECT_EQ(outcome.status, 1);
        EXPECT_THAT(outcome.err, StartsWith(source + ": "));
        EXPECT_FALSE(FileExists(destination));
    }
    EXPECT_TRUE(Leftovers(dir / "\xf6ut").empty());
    EXPECT_EQ(ReadFile(source), "var   total = 1;  // a note\n");
}
