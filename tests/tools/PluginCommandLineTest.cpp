// The exact command lines the plug-in optimizers send, seen through the fake
// executor, and what each optimizer does to the destination around the call.

#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "ToolTestSupport.h"
#include "compressors/Compressors.h"
#include "compressors/tools/FileErrors.h"

using namespace tooltest;

namespace {

using Optimizer = void (*)(const std::string&, const std::string&, Level, FileSize&, FileSize&, const TRunEnvironment&);

class PluginCommandLineTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        environment.pluginDir = "/opt/qwo/plugins/";
        WriteFile(source, "source bytes");
        environment.executor = [this](const std::string& line) {
            lines.push_back(line);
            destinationAtCall.push_back(FileExists(destination) ? ReadFile(destination) : "<none>");
        };
    }
    TempDir dir;
    std::string source = dir / "in put.x";
    std::string destination = dir / "out put.x";
    std::vector<std::string> lines;
    std::vector<std::string> destinationAtCall;
    FileSize original = 0, optimized = 0;
    TRunEnvironment environment;
};

}  // namespace

TEST_F(PluginCommandLineTest, JpegLevelTable)
{
    const std::vector<std::pair<Level, std::string>> table{{1, "-dc"},      {2, "-de"},      {3, "-di"},
                                                           {4, "-purejpg"}, {12, "-dc -de"}, {13, "-dc -di"},
                                                           {23, "-de -di"}, {5, ""},         {99, ""}};
    for (const auto& [level, options] : table) {
        lines.clear();
        destinationAtCall.clear();
        CompressJPEG(source, destination, level, original, optimized, environment);
        ASSERT_EQ(lines.size(), 1u) << int(level);
        EXPECT_EQ(lines[0], "/opt/qwo/plugins/jhead.exe " + options + " \"" + destination + "\"") << int(level);
        // jhead works in place on a plain copy that exists before it runs.
        EXPECT_EQ(destinationAtCall[0], "source bytes");
        EXPECT_EQ(original, 12);
        EXPECT_EQ(optimized, 12);
    }
}

TEST_F(PluginCommandLineTest, PngLevelTable)
{
    const std::vector<std::pair<Level, std::string>> table{{1, "3"}, {2, "2"}, {3, "1"}, {4, "0"}};
    for (const auto& [level, digit] : table) {
        lines.clear();
        WriteFile(destination, "a stale destination from an earlier run");
        destinationAtCall.clear();
        CompressPNG(source, destination, level, original, optimized, environment);
        ASSERT_EQ(lines.size(), 1u);
        EXPECT_EQ(lines[0],
                  "/opt/qwo/plugins/pngout.exe /y /q /s" + digit + " \"" + source + "\" \"" + destination + "\"");
        // The stale file is gone before the tool runs; nothing written means -1.
        EXPECT_EQ(destinationAtCall[0], "<none>");
        EXPECT_EQ(original, 12);
        EXPECT_EQ(optimized, -1);
    }
}

TEST_F(PluginCommandLineTest, ScriptLevelTableNamesDestinationFirst)
{
    for (Level level = 1; level <= 4; ++level) {
        lines.clear();
        WriteFile(destination, "stale");
        destinationAtCall.clear();
        CompressJS(source, destination, level, original, optimized, environment);
        ASSERT_EQ(lines.size(), 1u);
        EXPECT_EQ(lines[0], "cscript //Nologo \"/opt/qwo/plugins/ESC.wsf\" -l " + std::to_string(level) + " -ow \"" +
                                destination + "\" \"" + source + "\"");
        EXPECT_EQ(destinationAtCall[0], "<none>");
        EXPECT_EQ(original, 12);
        EXPECT_EQ(optimized, -1);
    }
}

TEST_F(PluginCommandLineTest, MeasuresWhatTheToolWrote)
{
    environment.executor = [this](const std::string&) { WriteFile(destination, "tiny"); };
    CompressPNG(source, destination, 2, original, optimized, environment);
    EXPECT_EQ(original, 12);
    EXPECT_EQ(optimized, 4);
    CompressJS(source, destination, 3, original, optimized, environment);
    EXPECT_EQ(optimized, 4);
    CompressJPEG(source, destination, 4, original, optimized, environment);
    EXPECT_EQ(original, 12);
    EXPECT_EQ(optimized, 4);
}

TEST_F(PluginCommandLineTest, LevelZeroIsAPlainCopyWithoutTool)
{
    for (Optimizer optimizer : {Optimizer(CompressJPEG), Optimizer(CompressPNG), Optimizer(CompressJS)}) {
        WriteFile(destination, "a much longer stale destination");
        optimizer(source, destination, 0, original, optimized, environment);
        EXPECT_EQ(ReadFile(destination), "source bytes");
        EXPECT_EQ(original, 12);
        EXPECT_EQ(optimized, 12);
    }
    EXPECT_TRUE(lines.empty());
}

TEST_F(PluginCommandLineTest, QuotesInPathsAreEscapedForTheTool)
{
    environment.pluginDir = "/opt/my \"qwo\"/plugins/";
    const std::string oddSource = dir / "-a \"b\".js";
    const std::string oddDestination = dir / "-c\\\".js";
    WriteFile(oddSource, "x");
    CompressJS(oddSource, oddDestination, 2, original, optimized, environment);
    CompressPNG(oddSource, oddDestination, 1, original, optimized, environment);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], "cscript //Nologo \"/opt/my \\\"qwo\\\"/plugins/ESC.wsf\" -l 2 -ow \"" + dir.Folder() +
                            "-c\\\\\\\".js\" \"" + dir.Folder() + "-a \\\"b\\\".js\"");
    EXPECT_EQ(lines[1], "/opt/my \"qwo\"/plugins/pngout.exe /y /q /s3 \"" + dir.Folder() + "-a \\\"b\\\".js\" \"" +
                            dir.Folder() + "-c\\\\\\\".js\"");
}

TEST_F(PluginCommandLineTest, NeverRemovesOrRunsOnTheSource)
{
    const std::string sameFile = dir.Folder() + "./in put.x";
    for (Optimizer optimizer : {Optimizer(CompressJPEG), Optimizer(CompressPNG), Optimizer(CompressJS)}) {
        for (Level level : {Level(0), Level(1)}) {
            try {
                optimizer(source, sameFile, level, original, optimized, environment);
                ADD_FAILURE() << "no fault";
            } catch (const FileError& error) {
                EXPECT_EQ(std::string(error.what()),
                          "Cannot create file \"" + sameFile + "\". The destination is the source file.");
            }
            EXPECT_EQ(ReadFile(source), "source bytes");
        }
    }
    EXPECT_TRUE(lines.empty());
}
