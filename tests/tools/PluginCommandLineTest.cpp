// The exact command lines the plug-in optimizers send, seen through the fake
// executor, and what each optimizer does to the destination around the call:
// the plug-in writes a temporary file beside it, which replaces it only when
// the plug-in succeeded.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <utility>
#include <vector>

#include "ToolTestSupport.h"
#include "compressors/Compressors.h"
#include "compressors/base/FileErrors.h"
#include "compressors/tools/ToolError.h"

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
            temporaryAtCall.push_back(ReadFile(DestinationArgument(line)));
        };
    }

    // The names in the folder, sorted: no temporary file is left behind.
    std::vector<std::string> Names() const
    {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(dir.Path()))
            names.push_back(entry.path().filename());
        std::sort(names.begin(), names.end());
        return names;
    }

    TempDir dir;
    std::string source = dir / "in put.x";
    std::string destination = dir / "out put.x";
    std::vector<std::string> lines;
    std::vector<std::string> destinationAtCall;
    std::vector<std::string> temporaryAtCall;
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
        temporaryAtCall.clear();
        WriteFile(destination, "old");
        CompressJPEG(source, destination, level, original, optimized, environment);
        ASSERT_EQ(lines.size(), 1u) << int(level);
        // jhead works in place on a plain copy: the destination's temporary file.
        EXPECT_EQ(WithoutUniqueParts(lines[0]),
                  "/opt/qwo/plugins/jhead.exe " + options + " \"" + dir.Folder() + ".qwo-*.x\"")
            << int(level);
        EXPECT_EQ(temporaryAtCall[0], "source bytes");
        EXPECT_EQ(destinationAtCall[0], "old");
        EXPECT_EQ(ReadFile(destination), "source bytes");
        EXPECT_EQ(original, 12);
        EXPECT_EQ(optimized, 12);
        EXPECT_EQ(Names(), (std::vector<std::string>{"in put.x", "out put.x"}));
    }
}

TEST_F(PluginCommandLineTest, PngLevelTable)
{
    const std::vector<std::pair<Level, std::string>> table{{1, "3"}, {2, "2"}, {3, "1"}, {4, "0"}};
    for (const auto& [level, digit] : table) {
        lines.clear();
        destinationAtCall.clear();
        temporaryAtCall.clear();
        WriteFile(destination, "a destination from an earlier run");
        // The tool writes nothing: the file fails, the earlier destination stays.
        EXPECT_THROW(CompressPNG(source, destination, level, original, optimized, environment), ToolError);
        ASSERT_EQ(lines.size(), 1u);
        EXPECT_EQ(WithoutUniqueParts(lines[0]), "/opt/qwo/plugins/pngout.exe /y /q /s" + digit + " \"" + source +
                                                    "\" \"" + dir.Folder() + ".qwo-*.x\"");
        EXPECT_EQ(temporaryAtCall[0], "");
        EXPECT_EQ(ReadFile(destination), "a destination from an earlier run");
        EXPECT_EQ(Names(), (std::vector<std::string>{"in put.x", "out put.x"}));
    }
}

TEST_F(PluginCommandLineTest, ScriptLevelTableNamesDestinationFirst)
{
    for (Level level = 1; level <= 4; ++level) {
        lines.clear();
        WriteFile(destination, "stale");
        CompressJS(source, destination, level, original, optimized, environment);
        ASSERT_EQ(lines.size(), 1u);
        EXPECT_EQ(WithoutUniqueParts(lines[0]), "cscript //Nologo \"/opt/qwo/plugins/ESC.wsf\" -l " +
                                                    std::to_string(level) + " -ow \"" + dir.Folder() + ".qwo-*.x\" \"" +
                                                    source + "\"");
        // A script of comments alone minifies to nothing: an empty result stands.
        EXPECT_EQ(ReadFile(destination), "");
        EXPECT_EQ(original, 12);
        EXPECT_EQ(optimized, 0);
    }
}

TEST_F(PluginCommandLineTest, MeasuresWhatTheToolWrote)
{
    environment.executor = [](const std::string& line) { WriteFile(DestinationArgument(line), "tiny"); };
    CompressPNG(source, destination, 2, original, optimized, environment);
    EXPECT_EQ(original, 12);
    EXPECT_EQ(optimized, 4);
    EXPECT_EQ(ReadFile(destination), "tiny");
    CompressJS(source, destination, 3, original, optimized, environment);
    EXPECT_EQ(optimized, 4);
    CompressJPEG(source, destination, 4, original, optimized, environment);
    EXPECT_EQ(original, 12);
    EXPECT_EQ(optimized, 4);
    EXPECT_EQ(Names(), (std::vector<std::string>{"in put.x", "out put.x"}));
}

TEST_F(PluginCommandLineTest, AFailingToolLeavesTheDestinationAsItWas)
{
    environment.executor = [](const std::string& line) {
        WriteFile(DestinationArgument(line), "half");
        throw ToolError("Exit status 1: " + line);
    };
    for (Optimizer optimizer : {Optimizer(CompressJPEG), Optimizer(CompressPNG), Optimizer(CompressJS)}) {
        WriteFile(destination, "earlier");
        EXPECT_THROW(optimizer(source, destination, 3, original, optimized, environment), ToolError);
        EXPECT_EQ(ReadFile(destination), "earlier");
        EXPECT_EQ(Names(), (std::vector<std::string>{"in put.x", "out put.x"}));
    }
}

TEST_F(PluginCommandLineTest, AnEmptyImageResultFailsNamingThePlugIn)
{
    environment.executor = [](const std::string& line) { WriteFile(DestinationArgument(line), ""); };
    const std::pair<Optimizer, const char*> images[] = {{CompressJPEG, "jhead.exe wrote no result"},
                                                        {CompressPNG, "pngout.exe wrote no result"}};
    for (const auto& [optimizer, reason] : images) {
        try {
            optimizer(source, destination, 3, original, optimized, environment);
            ADD_FAILURE() << reason;
        } catch (const ToolError& error) {
            EXPECT_STREQ(error.what(), reason);
        }
        EXPECT_FALSE(FileExists(destination));
    }
    CompressJS(source, destination, 3, original, optimized, environment);  // a script may minify to nothing
    EXPECT_EQ(ReadFile(destination), "");
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
    environment.executor = [this](const std::string& line) {
        lines.push_back(line);
        WriteFile(DestinationArgument(line), "x");  // the quoted destination reaches the tool intact
    };
    const std::string oddSource = dir / "-a \"b\".js";
    const std::string oddFolder = dir / "-c\\\"/";
    std::filesystem::create_directories(oddFolder);
    WriteFile(oddSource, "x");
    CompressJS(oddSource, oddFolder + "out.js", 2, original, optimized, environment);
    CompressPNG(oddSource, oddFolder + "out.png", 1, original, optimized, environment);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(WithoutUniqueParts(lines[0]), "cscript //Nologo \"/opt/my \\\"qwo\\\"/plugins/ESC.wsf\" -l 2 -ow \"" +
                                                dir.Folder() + "-c\\\\\\\"/.qwo-*.js\" \"" + dir.Folder() +
                                                "-a \\\"b\\\".js\"");
    EXPECT_EQ(WithoutUniqueParts(lines[1]), "/opt/my \"qwo\"/plugins/pngout.exe /y /q /s3 \"" + dir.Folder() +
                                                "-a \\\"b\\\".js\" \"" + dir.Folder() + "-c\\\\\\\"/.qwo-*.png\"");
    EXPECT_EQ(ReadFile(oddFolder + "out.js"), "x");
    EXPECT_EQ(ReadFile(oddFolder + "out.png"), "x");
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
