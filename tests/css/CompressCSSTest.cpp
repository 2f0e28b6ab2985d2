#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "compressors/Compressors.h"
#include "compressors/text/CssMinifier.h"
#include "tests/support/Files.h"
#include "tests/support/TempDir.h"

namespace fs = std::filesystem;

namespace {

class CompressCSSTest : public ::testing::Test {
protected:
    void SetUp() override { fs::create_directories(dir_ / "out"); }
    std::string Write(const std::string& name, const std::string& content)
    {
        WriteFile(dir_ / name, content);
        return dir_ / name;
    }
    std::string Out(const std::string& name) const { return dir_ / ("out/" + name); }

    TempDir dir_;
};

const std::string kSheet = "h1 { color: red; margin: 0 }\r\nh2 { color: red; }\r\np { margin: 0; padding: 0 }\r\n";

TEST_F(CompressCSSTest, EachLevelWritesItsResultAndSizes)
{
    const std::string source = Write("site.css", kSheet);
    const std::string expected[] = {kSheet, MinifyCSSBasic(kSheet), MinifyCSSMaximum(kSheet)};
    for (Level level = 0; level <= 2; ++level) {
        SCOPED_TRACE(int(level));
        FileSize original = -7, optimized = -7;
        Write("out/site.css", "old content that is longer than the result, to be truncated ........");
        CompressCSS(source, Out("site.css"), level, original, optimized);
        EXPECT_EQ(ReadFile(Out("site.css")), expected[level]);
        EXPECT_EQ(original, FileSize(kSheet.size()));
        EXPECT_EQ(optimized, FileSize(expected[level].size()));
    }
    EXPECT_EQ(ReadFile(source), kSheet);
}

TEST_F(CompressCSSTest, LevelTwoRegroupsInsideMediaBlocks)
{
    const std::string sheet = "@media print {\n  a { color: red }\n  b { color: red }\n}\n@font-face { x: 1 }\n";
    const std::string source = Write("print.css", sheet);
    FileSize original = 0, optimized = 0;
    CompressCSS(source, Out("print.css"), 2, original, optimized);
    const std::string expected = "@media print{a,b{color:red }}\r@font-face{ x:1 }\r";
    EXPECT_EQ(ReadFile(Out("print.css")), expected);
    EXPECT_EQ(optimized, FileSize(expected.size()));
}

TEST_F(CompressCSSTest, EmptyFile)
{
    const std::string source = Write("empty.css", "");
    for (Level level = 0; level <= 2; ++level) {
        FileSize original = -7, optimized = -7;
        CompressCSS(source, Out("empty.css"), level, original, optimized);
        EXPECT_TRUE(fs::exists(Out("empty.css")));
        EXPECT_EQ(ReadFile(Out("empty.css")), "");
        EXPECT_EQ(original, 0);
        EXPECT_EQ(optimized, 0);
    }
}

TEST_F(CompressCSSTest, MissingSourceAndUncreatableDestination)
{
    FileSize original = 0, optimized = 0;
    const std::string missing = dir_ / "missing.css";
    for (Level level = 1; level <= 2; ++level) {
        try {
            CompressCSS(missing, Out("missing.css"), level, original, optimized);
            ADD_FAILURE() << "no exception";
        } catch (const std::runtime_error& error) {
            EXPECT_EQ(std::string(error.what()), "Cannot open file \"" + missing + "\". No such file or directory");
        }
        EXPECT_FALSE(fs::exists(Out("missing.css")));
    }

    const std::string source = Write("a.css", kSheet);
    const std::string nowhere = dir_ / "no-such-dir/a.css";
    try {
        CompressCSS(source, nowhere, 2, original, optimized);
        ADD_FAILURE() << "no exception";
    } catch (const std::runtime_error& error) {
        EXPECT_EQ(std::string(error.what()), "Cannot create file \"" + nowhere + "\". No such file or directory");
    }
    EXPECT_EQ(ReadFile(source), kSheet);
}

TEST_F(CompressCSSTest, NeverWritesOverItsSource)
{
    const std::string source = Write("self.css", kSheet);
    // The same file under another spelling, as when the output folder is the source's own.
    const std::string sameFile = dir_ / "out/../self.css";
    for (Level level = 1; level <= 2; ++level) {
        FileSize original = 0, optimized = 0;
        try {
            CompressCSS(source, sameFile, level, original, optimized);
            ADD_FAILURE() << "no exception";
        } catch (const std::runtime_error& error) {
            EXPECT_EQ(std::string(error.what()),
                      "Cannot create file \"" + sameFile + "\". The destination is the source file.");
        }
        EXPECT_EQ(ReadFile(source), kSheet);
    }
}

}  // namespace
