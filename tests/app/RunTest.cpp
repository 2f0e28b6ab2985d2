// The optimization run over real files in a temp folder. Plug-in command lines
// are caught by the tool runner's executor seam so the test sees what is sent.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <mutex>
#include <set>
#include <stdexcept>
#include <thread>

#include "TestSupport.h"
#include "app/core/FileFailure.h"
#include "app/core/PathParts.h"
#include "app/core/Run.h"
#include "app/core/RunPlan.h"
#include "compressors/tools/ToolError.h"
#include "tests/support/CommandLines.h"

using ::testing::ElementsAre;
using ::testing::HasSubstr;

namespace {

class RunTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        // A tool's stand-in: records the command line, then writes the result
        // where the command line says (a copy that jhead works on is left).
        host.environment.executor = [this](const std::string& commandLine) {
            commands.push_back(commandLine);
            if (onCommand) return onCommand(commandLine);
            const std::string destination = DestinationArgument(commandLine);
            if (std::filesystem::file_size(destination) == 0) WriteFile(destination, "tool output");
        };
        // The images here are stand-ins that no decoder takes: their commands are what is checked.
        host.environment.proveImages = false;
        host.outputDir = dir / "out/";
        std::filesystem::create_directories(host.outputDir);
    }

    // A source file under the temp folder; returns its path.
    std::string Source(const std::string& name, const std::string& bytes)
    {
        const std::string path = dir / ("src/" + name);
        WriteFile(path, bytes);
        return path;
    }

    void Run()
    {
        ResetResultGrid(host);
        StartCompression(host);
    }

    TempDir dir;
    RecordingHost host;
    std::vector<std::string> commands;
    std::function<void(const std::string&)> onCommand;
};

}  // namespace

TEST_F(RunTest, DispatchesByExactExtension)
{
    host.files = {Source("a.js", "var a = 1;\n"),
                  Source("b.png", "png"),
                  Source("c.jpg", "jpg"),
                  Source("d.jpeg", "jpeg"),
                  Source("e.jpe", "jpe"),
                  Source("F.JS", "upper js"),
                  Source("G.JPG", "upper jpg"),
                  Source("H.Png", "mixed png"),
                  Source("readme", "no extension"),
                  Source("my.site/notes", "dot in folder"),
                  Source("archive.tar.gz", "last dot"),
                  Source("robots.txt", "other")};
    Run();

    ASSERT_EQ(commands.size(), 5u);
    EXPECT_THAT(commands[0], HasSubstr("ESC.wsf\" -l 3 -ow"));
    EXPECT_THAT(commands[1], HasSubstr("pngout.exe /y /q /s0 "));
    EXPECT_THAT(commands[2], HasSubstr("jhead.exe -purejpg "));
    EXPECT_THAT(commands[3], HasSubstr("out/.qwo-"));
    EXPECT_THAT(commands[3], HasSubstr(".jpeg\""));
    EXPECT_THAT(commands[4], HasSubstr(".jpe\""));

    // Everything else is a plain copy: equal sizes, 100.00%, same bytes.
    for (int row = 6; row <= 12; ++row) {
        const auto cells = host.Row(row);
        EXPECT_EQ(cells[2], cells[3]) << cells[1];
        EXPECT_EQ(cells[4], "100.00%") << cells[1];
    }
    EXPECT_EQ(ReadFile(host.outputDir + "F.JS"), "upper js");
    EXPECT_EQ(ReadFile(host.outputDir + "notes"), "dot in folder");
    EXPECT_EQ(ReadFile(host.outputDir + "archive.tar.gz"), "last dot");
    EXPECT_EQ(host.grid.RowCount(), 14);
    EXPECT_THAT(host.Row(13), ElementsAre("", "", "", "TOTAL", ::testing::_));
}

TEST_F(RunTest, TheHostsEnvironmentReachesEveryOptimizer)
{
    host.environment.pluginDir = dir / "plugins/";
    for (const char* plugin : {"ESC.wsf", "pngout.exe", "jhead.exe"})
        WriteFile(host.environment.pluginDir + plugin, "");
    host.files = {Source("page.html", "<p>a</p><script>var a = 1;</script>"), Source("a.js", "var a = 1;"),
                  Source("b.png", "png"), Source("c.jpg", "jpg")};
    Run();
    ASSERT_EQ(commands.size(), 4u);
    EXPECT_THAT(commands[0], HasSubstr("\"" + dir / "plugins/ESC.wsf\" -l 3 -ow \"" + host.outputDir + ".qwo-"));
    EXPECT_THAT(commands[0], HasSubstr("\" \"" + host.outputDir + "_temporary."));
    EXPECT_THAT(commands[1], HasSubstr("\"" + dir / "plugins/ESC.wsf\" -l 3 -ow \"" + host.outputDir + ".qwo-"));
    EXPECT_THAT(commands[2], ::testing::StartsWith(dir / "plugins/pngout.exe "));
    EXPECT_THAT(commands[3], ::testing::StartsWith(dir / "plugins/jhead.exe "));
}

TEST_F(RunTest, FillsRowsWithPathSizesAndRatio)
{
    const std::string a = Source("a.txt", std::string(2000, 'a'));
    host.files = {a};
    Run();
    EXPECT_THAT(host.Row(1), ElementsAre("", a, "     2.0 kB", "     2.0 kB", "100.00%"));
    EXPECT_THAT(host.Row(2), ElementsAre("", "", "", "TOTAL", "100.00%"));
}

TEST_F(RunTest, LevelsAreReadWhenEachFileIsReached)
{
    host.levels.Set("jpeg", 0);
    host.levels.Set("png", 1);
    host.files = {Source("1.jpg", "x"), Source("2.jpg", "x"), Source("3.jpg", "x"), Source("4.png", "x")};
    host.afterFile = [this](int index) {
        if (index == 0) host.levels.Set("jpeg", 12);
        if (index == 1) host.levels.Set("jpeg", 23);
    };
    Run();
    // Level 0 copies without a command; the two-digit entries give 12 and 23.
    ASSERT_EQ(commands.size(), 3u);
    EXPECT_THAT(commands[0], HasSubstr("jhead.exe -dc -de "));
    EXPECT_THAT(commands[1], HasSubstr("jhead.exe -de -di "));
    EXPECT_THAT(commands[2], HasSubstr("/s3 "));
}

TEST_F(RunTest, DestinationIsOutputTextPlusFileName)
{
    host.outputDir = dir / "out";  // no trailing "/"
    host.files = {Source("style.txt", "body{}")};
    Run();
    EXPECT_EQ(ReadFile(dir / "outstyle.txt"), "body{}");
}

TEST_F(RunTest, SameFileNameTwiceOverwrites)
{
    host.files = {Source("one/page.txt", "first"), Source("two/page.txt", "second!")};
    Run();
    EXPECT_EQ(host.grid.RowCount(), 4);
    EXPECT_EQ(host.grid.Cell(1, 1), dir / "src/one/page.txt");
    EXPECT_EQ(host.grid.Cell(1, 2), dir / "src/two/page.txt");
    EXPECT_EQ(ReadFile(host.outputDir + "page.txt"), "second!");
}

TEST_F(RunTest, TotalIsTheRatioOfTheSumsNotTheMeanOfTheRows)
{
    host.files = {Source("half.js", std::string(1000, ';')), Source("same.txt", std::string(3000, 'x'))};
    onCommand = [](const std::string& line) { WriteFile(DestinationArgument(line), std::string(500, ';')); };
    Run();
    EXPECT_EQ(host.grid.Cell(4, 1), "50.00%");
    EXPECT_EQ(host.grid.Cell(4, 2), "100.00%");
    EXPECT_THAT(host.Row(3), ElementsAre("", "", "", "TOTAL", "87.50%"));
}

TEST_F(RunTest, AnEmptyScriptResultStands)
{
    // A script of comments alone: the tool writes nothing, successfully.
    host.files = {Source("comments.js", std::string(100, '/')), Source("kept.txt", std::string(300, 'x'))};
    onCommand = [](const std::string&) {};
    Run();
    EXPECT_THAT(host.Row(1), ElementsAre("", ::testing::_, "     100 B", "       0 B", "0.00%"));
    EXPECT_EQ(host.grid.Cell(4, 3), "75.00%");  // 300 of 400
}

TEST_F(RunTest, EmptySourcesGiveNotApplicable)
{
    host.files = {Source("empty.txt", "")};
    Run();
    EXPECT_THAT(host.Row(1), ElementsAre("", ::testing::_, "       0 B", "       0 B", "n/a"));
    EXPECT_EQ(host.grid.Cell(4, 2), "n/a");
}

TEST_F(RunTest, ProgressCountsTheFilesDone)
{
    host.files = {Source("a.txt", "a"), Source("b.txt", "b"), Source("c.txt", "c")};
    Run();
    EXPECT_THAT(host.progressTotals, ElementsAre(3, 3, 3, 3));
    EXPECT_THAT(host.progressPositions, ElementsAre(0, 1, 2, 3));
    EXPECT_EQ(host.filesDone, 3);

    RecordingHost single;
    single.outputDir = host.outputDir;
    single.files = {Source("d.txt", "d")};
    StartCompression(single);
    EXPECT_THAT(single.progressTotals, ElementsAre(1, 1));
}

TEST_F(RunTest, FaultEndsTheRunAndKeepsEarlierRows)
{
    const std::string missing = dir / "src/missing.txt";
    host.files = {Source("a.txt", "aaaa"), missing, Source("c.txt", "cccc")};
    ResetResultGrid(host);
    try {
        StartCompression(host);
        FAIL() << "the run went on";
    } catch (const TFileFailure& failure) {
        EXPECT_EQ(failure.Source(), missing);
        EXPECT_THAT(failure.what(), HasSubstr("Cannot open file \"" + missing + "\". No such file or directory"));
    }
    EXPECT_EQ(host.grid.Cell(4, 1), "100.00%");
    EXPECT_THAT(host.Row(2), ElementsAre("", missing, "", "", ""));
    EXPECT_THAT(host.Row(3), ElementsAre("", "", "", "", ""));
    EXPECT_THAT(host.Row(4), ElementsAre("", "", "", "", ""));
    EXPECT_EQ(host.progress, 1);
    EXPECT_FALSE(FileExists(host.outputDir + "c.txt"));
}

TEST_F(RunTest, DestinationsThatCouldReachASourceOrLeaveTheOutputFolderAreRefused)
{
    // Each case: what the output folder holds, the list, the file that is
    // refused (its index) and the fault's reason. Nothing is written for that
    // file or after it, and no source changes.
    struct Case {
        const char* name;
        std::function<void()> prepare;
        std::vector<std::string> files;
        std::size_t refused;
        std::string reason;
    };
    const std::string out = host.outputDir;
    const std::string a = dir / "src/a/style.css", b = dir / "src/style.css", page = dir / "src/page.html";
    const std::vector<Case> cases{
        {"own source", [&] {}, {dir / "out/x.txt"}, 0, "The destination is the source file."},
        {"output folder is a source folder: a later source",
         [&] { host.outputDir = dir / "src/"; },
         {a, b},
         0,
         "The destination is the listed source \"" + b + "\"."},
        {"symbolic link to another source",
         [&] { std::filesystem::create_symlink(b, out + "page.html"); },
         {dir / "src/page.html", b},
         0,
         "The destination is the listed source \"" + b + "\"."},
        {"hard link to another source",
         [&] { std::filesystem::create_hard_link(b, out + "page.html"); },
         {page, b},
         0,
         "The destination is the listed source \"" + b + "\"."},
        {"dangling link",
         [&] { std::filesystem::create_symlink(dir / "elsewhere/new.css", out + "style.css"); },
         {page, b},
         1,
         "A link leads it to \"" + dir / "elsewhere/new.css" + "\", outside the output folder \"" + out + "\"."},
        {"link to a file outside",
         [&] { std::filesystem::create_symlink(dir / "other.css", out + "style.css"); },
         {b},
         0,
         "A link leads it to \"" + dir / "other.css" + "\", outside the output folder \"" + out + "\"."},
    };
    for (const Case& test : cases) {
        std::filesystem::remove_all(dir / "src");
        std::filesystem::remove_all(out);
        std::filesystem::remove_all(dir / "elsewhere");
        std::filesystem::create_directories(out);
        host.outputDir = out;
        WriteFile(a, "a { color: red }");
        WriteFile(b, "b { color: blue }");
        WriteFile(page, "<p>page</p>");
        WriteFile(dir / "out/x.txt", "x");
        WriteFile(dir / "other.css", "other");
        test.prepare();
        host.files = test.files;
        try {
            Run();
            ADD_FAILURE() << test.name << ": the run went on";
        } catch (const TFileFailure& failure) {
            EXPECT_EQ(failure.Source(), test.files[test.refused]) << test.name;
            const std::string destination = host.outputDir + FileNameOf(test.files[test.refused]);
            EXPECT_EQ(std::string(failure.what()), "Cannot create file \"" + destination + "\". " + test.reason)
                << test.name;
        }
        EXPECT_EQ(ReadFile(a), "a { color: red }") << test.name;
        EXPECT_EQ(ReadFile(b), "b { color: blue }") << test.name;
        EXPECT_EQ(ReadFile(page), "<p>page</p>") << test.name;
        EXPECT_EQ(ReadFile(dir / "other.css"), "other") << test.name;
        EXPECT_FALSE(FileExists(dir / "elsewhere")) << test.name;
        EXPECT_EQ(host.grid.Cell(1, int(test.refused) + 1), test.files[test.refused]) << test.name;
        EXPECT_EQ(host.grid.Cell(3, int(test.refused) + 1), "") << test.name;
    }
}

TEST_F(RunTest, ANamedPipeAsASourceIsRefusedByEveryOptimizer)
{
    host.levels.Set("png", 1);
    for (const char* name : {"a.css", "b.gif", "c.html", "d.js", "e.png", "f.jpg", "g.txt"}) {
        const std::string pipe = dir / ("pipes/" + std::string(name));
        std::filesystem::create_directories(dir / "pipes");
        ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
        host.files = {pipe};
        try {
            Run();
            ADD_FAILURE() << name;
        } catch (const TFileFailure& failure) {
            EXPECT_EQ(std::string(failure.what()), "Cannot open file \"" + pipe + "\". Not a regular file") << name;
        }
        EXPECT_FALSE(FileExists(host.outputDir + name));
    }
    EXPECT_TRUE(commands.empty());
}

TEST_F(RunTest, AFailingPluginFailsItsFileWithTheReason)
{
    host.files = {Source("a.txt", "a"), Source("b.png", SampleFile("images/logo.png")), Source("c.txt", "c")};
    WriteFile(host.outputDir + "b.png", "earlier");
    onCommand = [](const std::string& line) { throw ToolError("Exit status 1: " + line + ": cannot read"); };
    try {
        Run();
        ADD_FAILURE() << "the run went on";
    } catch (const TFileFailure& failure) {
        EXPECT_EQ(failure.Source(), host.files[1]);
        EXPECT_THAT(failure.what(), ::testing::StartsWith("Exit status 1: "));
        EXPECT_THAT(failure.what(), ::testing::EndsWith(": cannot read"));
    }
    EXPECT_EQ(host.grid.Cell(4, 1), "100.00%");
    EXPECT_THAT(host.Row(2), ElementsAre("", host.files[1], "", "", ""));
    EXPECT_EQ(ReadFile(host.outputDir + "b.png"), "earlier");
    EXPECT_FALSE(FileExists(host.outputDir + "c.txt"));
}

TEST_F(RunTest, FilesOfAMissingPluginAreCopiedWithOneNoticeEach)
{
    host.environment.pluginDir = dir / "plugins/";
    std::filesystem::create_directories(dir / "plugins/ESC.wsf");  // a folder is no plug-in
    WriteFile(dir / "plugins/jhead.exe", "");
    std::vector<std::string> notices;
    host.environment.hooks.notify = [&](const std::string& message) { notices.push_back(message); };
    host.files = {Source("1.png", "png one"), Source("2.js", "var a = 1;"), Source("3.png", "png three"),
                  Source("4.js", "var b = 2;"), Source("5.jpg", SampleFile("images/photo.jpg"))};
    for (int run = 0; run < 2; ++run) {
        notices.clear();
        commands.clear();
        Run();
        EXPECT_EQ(ReadFile(host.outputDir + "1.png"), "png one");
        EXPECT_EQ(ReadFile(host.outputDir + "4.js"), "var b = 2;");
        EXPECT_EQ(host.grid.Cell(4, 3), "100.00%");
        const std::string folder = dir / "plugins/";
        EXPECT_EQ(notices, (std::vector<std::string>{
                               "Plug-in \"pngout.exe\" not found in " + folder + ": PNG files are copied unchanged.",
                               "Plug-in \"ESC.wsf\" not found in " + folder + ": Script files are copied unchanged."}));
        ASSERT_EQ(commands.size(), 1u);  // jhead is there
        EXPECT_THAT(commands[0], HasSubstr("jhead.exe -purejpg"));
    }
}

TEST_F(RunTest, ShorterRunLeavesNoTraceOfTheEarlierOne)
{
    host.files = {Source("a.txt", "a"), Source("b.txt", "b"), Source("c.txt", "c")};
    Run();
    host.files = {Source("d.txt", "dd")};
    Run();
    EXPECT_EQ(host.grid.RowCount(), 3);
    EXPECT_THAT(host.Row(2), ElementsAre("", "", "", "TOTAL", "100.00%"));
}

TEST_F(RunTest, EmptyListTouchesNothing)
{
    host.files = {Source("a.txt", "a")};
    Run();
    host.files.clear();
    host.progressPositions.clear();
    Run();
    EXPECT_EQ(host.grid.RowCount(), 2);
    EXPECT_THAT(host.Row(1), ElementsAre("", "", "", "", ""));
    EXPECT_TRUE(host.progressPositions.empty());
}

TEST_F(RunTest, ParallelRowsArriveInListOrderAndKeepGoingShowsFailures)
{
    // Slow plug-in files early in the list, quick ones after: rows still
    // appear in list order, each once every row before it is there.
    onCommand = [](const std::string& line) {
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
        WriteFile(DestinationArgument(line), "tool output");
    };
    host.files = {Source("a.png", "png"), Source("b.js", "var b;"), dir / "src/missing.css",
                  Source("c.txt", "cc"),  Source("d.png", "png"),   Source("e.txt", "eeee")};
    std::vector<int> rowsAtRepaint;
    host.afterFile = [&](int) {
        int rows = 0;
        while (rows + 1 < host.grid.RowCount() - 1 && !host.grid.Cell(1, rows + 1).empty()) ++rows;
        for (int row = 1; row <= rows; ++row) EXPECT_FALSE(host.grid.Cell(3, row).empty()) << row;
        rowsAtRepaint.push_back(rows);
    };
    ResetResultGrid(host);
    const auto failures = StartCompression(host, {3, true, nullptr, {}});
    ASSERT_EQ(failures.size(), 1u);
    EXPECT_EQ(failures[0].Source(), dir / "src/missing.css");
    EXPECT_THAT(host.Row(3),
                ElementsAre("", dir / "src/missing.css", "",
                            "failed: Cannot open file \"" + dir / "src/missing.css" + "\". No such file or directory",
                            ""));
    EXPECT_THAT(host.Row(6), ElementsAre("", host.files[5], "       4 B", "       4 B", "100.00%"));
    EXPECT_THAT(host.Row(7), ElementsAre("", "", "", "TOTAL", ::testing::_));
    EXPECT_TRUE(std::is_sorted(rowsAtRepaint.begin(), rowsAtRepaint.end()));
    EXPECT_EQ(rowsAtRepaint.size(), 6u);
    EXPECT_EQ(host.progress, 6);  // every file counted
    EXPECT_EQ(ReadFile(host.outputDir + "e.txt"), "eeee");
}

TEST_F(RunTest, OnSeveralWorkersImagesStartFirstAndTheFirstFailureInListOrderEndsTheRun)
{
    // The images start first, so a later image fails before the files listed
    // ahead of it have run: they still run, and the first failure in list
    // order is the one the run ends with.
    onCommand = [](const std::string& line) {
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
        if (line.find("bad.png") != std::string::npos) throw std::runtime_error("the tool failed");
        WriteFile(DestinationArgument(line), "tool output");
    };
    const std::string missing = dir / "src/missing.css";
    host.files = {Source("a.txt", "aaaa"), missing, Source("c.txt", "cccc"), Source("bad.png", "png png"),
                  Source("small.png", "png")};
    struct Starts : TRunObserver {
        std::vector<std::string> names;
        void Started(const TJob& job) override { names.push_back(FileNameOf(job.source)); }
    } starts;
    ResetResultGrid(host);
    try {
        StartCompression(host, {2, false, &starts, {}});
        FAIL() << "the run went on";
    } catch (const TFileFailure& failure) {
        EXPECT_EQ(failure.Source(), missing);
    }
    ASSERT_GE(starts.names.size(), 4u);
    EXPECT_THAT(std::vector<std::string>(starts.names.begin(), starts.names.begin() + 4),
                ElementsAre("bad.png", "small.png", "a.txt", "missing.css"));
    EXPECT_EQ(host.grid.Cell(4, 1), "100.00%");
    EXPECT_THAT(host.Row(2), ElementsAre("", missing, "", "", ""));
    for (int row = 3; row <= 6; ++row) EXPECT_THAT(host.Row(row), ElementsAre("", "", "", "", "")) << row;
}

TEST_F(RunTest, ACancelledRunStartsNothingMore)
{
    host.files = {Source("a.txt", "a"), Source("b.txt", "b"), Source("c.txt", "c")};
    host.afterFile = [this](int index) {
        if (index == 0) host.environment.control->Cancel();
    };
    host.environment.control = std::make_shared<TRunControl>();
    ResetResultGrid(host);
    EXPECT_THROW(StartCompression(host, {1, true, nullptr, {}}), RunCancelled);
    EXPECT_EQ(host.grid.Cell(4, 1), "100.00%");
    EXPECT_FALSE(FileExists(host.outputDir + "b.txt"));
    EXPECT_FALSE(FileExists(host.outputDir + "c.txt"));
}

TEST_F(RunTest, OnlyABlockingRunOfOneFileAtATimeRunsItsFilesOnTheCallersThread)
{
    // A window's run (a wakeup) never blocks its thread; a blocking run with
    // one file at a time starts no thread.
    struct Case {
        int workers;
        int files;
        bool wakeup;
        bool onCaller;
    };
    for (const Case& test : {Case{1, 1, false, true}, Case{1, 3, false, true}, Case{4, 1, false, true},
                             Case{2, 3, false, false}, Case{1, 1, true, false}, Case{1, 3, true, false}}) {
        const std::string label = std::to_string(test.workers) + " workers, " + std::to_string(test.files) +
                                  " files, wakeup " + std::to_string(test.wakeup);
        std::mutex mutex;
        std::set<std::thread::id> threads;
        onCommand = [&](const std::string& line) {
            const std::lock_guard lock(mutex);
            threads.insert(std::this_thread::get_id());
            WriteFile(DestinationArgument(line), "tool output");
        };
        host.environment.pluginDir = dir / "plugins/";
        WriteFile(host.environment.pluginDir + "pngout.exe", "");
        host.files.clear();
        for (int file = 0; file < test.files; ++file)
            host.files.push_back(Source(std::to_string(file) + ".png", "png"));
        ResetResultGrid(host);
        const TRunRequest request = host.Request();
        TRunOptions options;
        options.workers = test.workers;
        TCompressionRun run(request, host, options, test.wakeup ? std::function<void()>([] {}) : nullptr);
        while (run.Step()) run.Wait();
        EXPECT_TRUE(run.Finish().empty()) << label;
        EXPECT_EQ(host.grid.Cell(3, test.files + 1), "TOTAL") << label;
        const bool onCaller = threads == std::set<std::thread::id>{std::this_thread::get_id()};
        EXPECT_EQ(onCaller, test.onCaller) << label;
        EXPECT_EQ(threads.count(std::this_thread::get_id()), test.onCaller ? 1u : 0u) << label;
    }
}

TEST_F(RunTest, RelativeDestinationsKeepTheTreeBelowTheOutputFolder)
{
    // Each entry's relative destination, and where the file lands (empty: refused).
    struct Case {
        std::string relative;
        std::string lands;
    };
    const std::vector<Case> cases{
        {"", "page.txt"},
        {"page.txt", "page.txt"},
        {"a/b/c/page.txt", "a/b/c/page.txt"},
        {"../page.txt", ""},
        {"/tmp/page.txt", ""},
        {"a//page.txt", ""},
        {"a/./page.txt", ""},
        {"a/", ""},
    };
    for (const Case& test : cases) {
        std::filesystem::remove_all(host.outputDir);
        std::filesystem::create_directories(host.outputDir);
        host.files = {Source("page.txt", "text")};
        host.relatives = {test.relative};
        ResetResultGrid(host);
        const auto failures = StartCompression(host, {2, true, nullptr, {}});
        if (test.lands.empty()) {
            ASSERT_EQ(failures.size(), 1u) << test.relative;
            EXPECT_EQ(std::string(failures[0].what()), "Cannot create file \"" + host.outputDir + test.relative +
                                                           "\". Not a path below the output folder.");
            EXPECT_TRUE(std::filesystem::is_empty(host.outputDir)) << test.relative;
        } else {
            EXPECT_TRUE(failures.empty()) << test.relative;
            EXPECT_EQ(ReadFile(host.outputDir + test.lands), "text") << test.relative;
        }
    }
    host.relatives.clear();
}

TEST(RunPlan, ClashesAreDifferentFilesForOneDestination)
{
    TempDir dir;
    for (const char* name : {"a/x.css", "b/x.css", "c/y.css"}) WriteFile(dir / name, name);
    std::filesystem::create_hard_link(dir / "a/x.css", dir / "c/x.css");
    struct Case {
        const char* name;
        std::vector<TListEntry> entries;
        std::vector<std::pair<std::string, std::vector<std::string>>> clashes;
    };
    const std::string a = dir / "a/x.css", b = dir / "b/x.css", c = dir / "c/x.css", y = dir / "c/y.css";
    const std::vector<Case> cases{
        {"two files, one name", {{a, ""}, {y, ""}, {b, ""}}, {{"out/x.css", {a, b}}}},
        {"the same file twice", {{a, ""}, {a, ""}}, {}},
        {"a hard link of the same file", {{a, ""}, {c, ""}}, {}},
        {"kept apart by their trees", {{a, "a/x.css"}, {b, "b/x.css"}}, {}},
        {"a tree and a flat file", {{y, "x.css"}, {b, ""}, {a, ""}}, {{"out/x.css", {y, b, a}}}},
        {"three for one", {{b, ""}, {a, ""}, {y, "x.css"}, {b, ""}}, {{"out/x.css", {b, a, y}}}},
    };
    for (const Case& test : cases) {
        std::vector<std::pair<std::string, std::vector<std::string>>> found;
        for (const TDestinationClash& clash : FindClashes(PlaceJobs(test.entries, "out/")))
            found.emplace_back(clash.destination, clash.sources);
        EXPECT_EQ(found, test.clashes) << test.name;
    }
}
