// The optimization run over real files in a temp folder. Plug-in command lines
// are caught by the tool runner's executor seam so the test sees what is sent.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

#include <stdexcept>

#include "TestSupport.h"
#include "app/core/Run.h"

using ::testing::ElementsAre;
using ::testing::HasSubstr;

namespace {

class RunTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        host.environment.executor = [this](const std::string& commandLine) {
            commands.push_back(commandLine);
            if (onCommand) onCommand(commandLine);
        };
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
    EXPECT_THAT(commands[3], HasSubstr("out/d.jpeg"));
    EXPECT_THAT(commands[4], HasSubstr("out/e.jpe"));

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
    WriteFile(host.environment.pluginDir + "ESC.wsf", "");
    host.files = {Source("page.html", "<p>a</p><script>var a = 1;</script>"), Source("a.js", "var a = 1;"),
                  Source("b.png", "png"), Source("c.jpg", "jpg")};
    Run();
    ASSERT_EQ(commands.size(), 4u);
    EXPECT_THAT(commands[0], HasSubstr("\"" + dir / "plugins/ESC.wsf\" -l 3 -ow \"" + host.outputDir + "_temporary"));
    EXPECT_THAT(commands[1], HasSubstr("\"" + dir / "plugins/ESC.wsf\" -l 3 -ow \"" + host.outputDir + "a.js\""));
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
    host.selectorTexts[Selector::JPEG] = "0- No removal";
    host.selectorTexts[Selector::PNG] = "1- Fast recompression";
    host.files = {Source("1.jpg", "x"), Source("2.jpg", "x"), Source("3.jpg", "x"), Source("4.png", "x")};
    host.afterFile = [this](int index) {
        if (index == 0) host.selectorTexts[Selector::JPEG] = "12- Comment+Exif removal";
        if (index == 1) host.selectorTexts[Selector::JPEG] = "23- Exif+IPCT removal";
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
    onCommand = [this](const std::string&) { WriteFile(host.outputDir + "half.js", std::string(500, ';')); };
    Run();
    EXPECT_EQ(host.grid.Cell(4, 1), "50.00%");
    EXPECT_EQ(host.grid.Cell(4, 2), "100.00%");
    EXPECT_THAT(host.Row(3), ElementsAre("", "", "", "TOTAL", "87.50%"));
}

TEST_F(RunTest, NegativeSizesAreShownAndSummedSigned)
{
    // The script tool writes nothing: the measured size is -1.
    host.files = {Source("lost.js", std::string(100, ';')), Source("kept.txt", std::string(300, 'x'))};
    Run();
    EXPECT_THAT(host.Row(1), ElementsAre("", ::testing::_, "     100 B", "      -1 B", "-1.00%"));
    EXPECT_EQ(host.grid.Cell(4, 3), "74.75%");  // 299 of 400
}

TEST_F(RunTest, EmptySourcesGiveNotApplicable)
{
    host.files = {Source("empty.txt", "")};
    Run();
    EXPECT_THAT(host.Row(1), ElementsAre("", ::testing::_, "       0 B", "       0 B", "n/a"));
    EXPECT_EQ(host.grid.Cell(4, 2), "n/a");
}

TEST_F(RunTest, ProgressRunsFromZeroToCountLessOne)
{
    host.files = {Source("a.txt", "a"), Source("b.txt", "b"), Source("c.txt", "c")};
    Run();
    EXPECT_THAT(host.progressMaxima, ElementsAre(2));
    EXPECT_THAT(host.progressPositions, ElementsAre(0, 0, 1, 2));
    EXPECT_EQ(host.filesDone, 3);

    RecordingHost single;
    single.outputDir = host.outputDir;
    single.files = {Source("d.txt", "d")};
    StartCompression(single);
    EXPECT_THAT(single.progressMaxima, ElementsAre(0));
}

TEST_F(RunTest, FaultEndsTheRunAndKeepsEarlierRows)
{
    const std::string missing = dir / "src/missing.txt";
    host.files = {Source("a.txt", "aaaa"), missing, Source("c.txt", "cccc")};
    ResetResultGrid(host);
    try {
        StartCompression(host);
        FAIL() << "the run went on";
    } catch (const std::runtime_error& error) {
        EXPECT_THAT(error.what(), HasSubstr("Cannot open file \"" + missing + "\". No such file or directory"));
    }
    EXPECT_EQ(host.grid.Cell(4, 1), "100.00%");
    EXPECT_THAT(host.Row(2), ElementsAre("", missing, "", "", ""));
    EXPECT_THAT(host.Row(3), ElementsAre("", "", "", "", ""));
    EXPECT_THAT(host.Row(4), ElementsAre("", "", "", "", ""));
    EXPECT_EQ(host.progress, 0);
    EXPECT_FALSE(FileExists(host.outputDir + "c.txt"));
}

TEST_F(RunTest, SourceIsNeverItsOwnDestination)
{
    const std::string source = Source("keep.txt", "original");
    host.outputDir = dir / "src/";
    host.files = {source};
    EXPECT_THROW(Run(), std::runtime_error);
    EXPECT_EQ(ReadFile(source), "original");
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

TEST_F(RunTest, EmptyListAsksForFilesAndTouchesNothing)
{
    host.files = {Source("a.txt", "a")};
    Run();
    host.files.clear();
    host.progressPositions.clear();
    Run();
    EXPECT_TRUE(host.choseFiles);
    EXPECT_EQ(host.grid.RowCount(), 2);
    EXPECT_THAT(host.Row(1), ElementsAre("", "", "", "", ""));
    EXPECT_TRUE(host.progressPositions.empty());
}
