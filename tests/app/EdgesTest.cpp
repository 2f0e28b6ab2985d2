// Rows that tell the truth at the edges: sizes beyond 32 bits, outputs of the
// run that would replace each other, pages whose scripts stayed as written,
// scripts the minifier declines, sources that change while read.
#include <fcntl.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "compressors/base/FileErrors.h"
#include "compressors/base/Files.h"
#include "compressors/base/PlainCopy.h"

using ::testing::HasSubstr;
namespace fs = std::filesystem;

TEST(Edges, AFileOfFiveGibibytesKeepsItsExactSizeAndIsReused)
{
    TempDir dir;
    constexpr std::uintmax_t kSize = std::uintmax_t{5} << 30;
    struct statvfs space {};
    if (::statvfs(dir.Path().c_str(), &space) != 0 ||
        std::uintmax_t{space.f_bavail} * space.f_frsize < kSize + (std::uintmax_t{1} << 30))
        GTEST_SKIP() << "no room for the copy of a 5 GiB file";
    WriteFile(dir / "site/a.css", "a { color : red }");
    WriteFile(dir / "site/video.mp4", "");
    fs::resize_file(dir / "site/video.mp4", kSize);
    for (const char* status : {"copied", "reused"}) {
        const Outcome outcome =
            RunProgram(dir, {"--incremental", "--json", dir / "r.json", "-o", dir / "out", dir / "site"});
        ASSERT_EQ(outcome.status, 0) << outcome.err;
        EXPECT_THAT(outcome.out, ::testing::ContainsRegex("5\\.000 GB +5\\.000 GB +100\\.00%")) << status;
        const std::string json = ReadFile(dir / "r.json");
        EXPECT_THAT(json, HasSubstr("\"original\": 5368709120, \"optimized\": 5368709120, \"ratio\": 100.00, "
                                    "\"status\": \"" +
                                    std::string(status) + "\""));
        EXPECT_THAT(json, HasSubstr("\"original\": 5368709137,"));  // the totals
    }
    EXPECT_EQ(fs::file_size(dir / "out/video.mp4"), kSize);
}

TEST(Edges, RunOutputsThatWouldReplaceEachOtherAreRefused)
{
    struct Case {
        std::vector<std::string> options;  // "D/": the test's folder
        std::string message;
    };
    const std::vector<Case> cases = {
        {{"--report", "D/out/index.html"},
         "the report \"D/out/index.html\" would replace the output of \"D/site/index.html\""},
        {{"--json", "D/./out/about.html"},
         "the JSON file \"D/./out/about.html\" would replace the output of \"D/site/about.html\""},
        {{"--report", "D/r.html", "--json", "D/r.html"}, "the report and the JSON file would be one file \"D/r.html\""},
        {{"--incremental", "--json", "D/out/.quorvan-manifest.json"},
         "the JSON file and the manifest would be one file \"D/out/.quorvan-manifest.json\""},
    };
    for (const Case& test : cases) {
        TempDir dir;
        const auto inDir = [&dir](std::string text) {
            // The folder's random name may itself hold "D/": look on after it.
            for (std::size_t at = 0; (at = text.find("D/", at)) != std::string::npos; at += dir.Folder().size())
                text.replace(at, 2, dir.Folder());
            return text;
        };
        WriteFile(dir / "site/index.html", "<p>home</p>");
        WriteFile(dir / "site/about.html", "<p>about</p>");
        std::vector<std::string> arguments;
        for (const std::string& option : test.options) arguments.push_back(inDir(option));
        arguments.insert(arguments.end(), {"-o", dir / "out/", dir / "site"});
        const Outcome outcome = RunProgram(dir, arguments);
        EXPECT_EQ(outcome.status, 2) << test.message;
        EXPECT_THAT(outcome.err, HasSubstr(inDir(test.message)));
        EXPECT_FALSE(fs::exists(dir / "out")) << test.message;
        EXPECT_FALSE(fs::exists(dir / "r.html")) << test.message;
    }
}

// A page whose inline script the script plug-in did not take is partial: its
// row, the JSON and standard error say why, --strict fails the run, and an
// incremental run optimizes it again.
TEST(Edges, APageWhoseScriptsStayAsWrittenIsPartialAndNeverReused)
{
    struct Case {
        const char* name;
        const char* script;
        bool withoutScriptPlugin;
        std::string reason;
    };
    const std::vector<Case> cases = {
        {"plug-in missing", "var a = 1 ;", true, "(script plug-in \"ESC.wsf\" not found)"},
        {"esbuild fails", "function ( {", false, "(esbuild failed: syntax error at line 1, column 10"},
    };
    for (const Case& test : cases) {
        TempDir dir;
        const std::string plugins = dir / "plugins";
        fs::copy(std::string(QWO_BIN_DIR) + "/plugins", plugins, fs::copy_options::recursive);
        if (test.withoutScriptPlugin) fs::remove(plugins + "/ESC.wsf");
        WriteFile(dir / "site/index.html", std::string("<p> a </p><script> ") + test.script + " </script>");
        for (const bool strict : {false, true}) {
            std::vector<std::string> arguments{"--plugin-dir", plugins, "--incremental", "--json",
                                               dir / "r.json", "-o",    dir / "out",     dir / "site"};
            if (strict) arguments.insert(arguments.begin(), "--strict");
            const Outcome outcome = RunProgram(dir, arguments);
            EXPECT_EQ(outcome.status, strict ? 1 : 0) << test.name << "\n" << outcome.err;
            const std::string note = "partial: 1 script kept as written " + test.reason;
            const std::string json = ReadFile(dir / "r.json");
            EXPECT_THAT(outcome.err, HasSubstr(dir / "site/index.html: " + note)) << test.name;
            EXPECT_THAT(outcome.out, HasSubstr("%; partial: 1 script kept as written (")) << test.name;
            EXPECT_THAT(json, HasSubstr("\"partial\": \"1 script kept as written (")) << test.name;
            EXPECT_THAT(json, HasSubstr("\"status\": \"partial\"")) << test.name << " strict " << strict;
            EXPECT_THAT(json, HasSubstr("\"partial\": 1, \"failed\": 0,")) << test.name;
            EXPECT_THAT(json, HasSubstr("\"reused\": 0,")) << test.name;
            EXPECT_THAT(ReadFile(dir / "out/index.html"), HasSubstr(test.script)) << test.name;
        }
    }
}

// A script the minifier declines is written unchanged, also when the run
// stops at it; a syntax error fails the file. (A limit of the minifier's only
// warns: terser's call stack, which esbuild does not have.)
TEST(Edges, ADeclinedScriptIsCopiedUnchanged)
{
    TempDir dir;
    std::string deep = "var x = a";
    for (int term = 1; term < 300000; ++term) deep += "+a";
    const std::vector<std::pair<std::string, std::string>> scripts = {{"bad.js", "function ( {\n"},
                                                                      {"deep.js", deep + ";\n"}};
    for (const auto& [name, text] : scripts) WriteFile(dir / ("site/" + name), text);
    const Outcome failing = RunProgram(dir, {"-j", "1", "-o", dir / "out", dir / "site/bad.js"});
    EXPECT_EQ(failing.status, 1);
    EXPECT_THAT(failing.err, HasSubstr("esbuild failed: syntax error at line 1, column 10"));
    EXPECT_THAT(failing.err, HasSubstr("; copied unchanged"));
    EXPECT_EQ(ReadFile(dir / "out/bad.js"), scripts[0].second);
    // An expression 300,000 terms long, beyond terser's call stack, is esbuild's to take.
    const Outcome taken = RunProgram(dir, {"-o", dir / "out", dir / "site/deep.js"});
    EXPECT_EQ(taken.status, 0) << taken.err;
    const std::string& text = scripts[1].second;  // "var x = a+a...+a;\n"
    EXPECT_EQ(ReadFile(dir / "out/deep.js"), "var x=a" + text.substr(9, text.size() - 11) + ";");
}

TEST(Edges, ASourceThatShrinksWhileCopiedFailsAndWritesNothing)
{
    TempDir dir;
    WriteFile(dir / "big.bin", std::string(3 * kCopyChunkSize, 'x'));
    InputFile input(dir / "big.bin");
    fs::resize_file(dir / "big.bin", kCopyChunkSize);
    {
        FileReplacement output(dir / "copy.bin");
        try {
            CopyChunks(input, output, {});
            ADD_FAILURE() << "no failure";
        } catch (const FileError& error) {
            EXPECT_STREQ(error.what(), "Source changed while it was read");
        }
    }
    EXPECT_FALSE(fs::exists(dir / "copy.bin"));
}

// A destination path longer than the system takes is refused for that reason.
TEST(Edges, APathTooLongForTheSystemIsNamedSo)
{
    TempDir dir;
    int folder = ::open(dir.Path().c_str(), O_RDONLY | O_DIRECTORY);
    const std::string part(200, 'd');
    std::string relative = "site";
    for (int depth = 0; depth < 22; ++depth, relative += "/" + part) {
        const std::string name = depth == 0 ? "site" : part;
        ASSERT_EQ(::mkdirat(folder, name.c_str(), 0755), 0);
        const int below = ::openat(folder, name.c_str(), O_RDONLY | O_DIRECTORY);
        ::close(folder);
        folder = below;
    }
    const int file = ::openat(folder, "a.css", O_WRONLY | O_CREAT, 0644);
    ASSERT_EQ(::write(file, "a{}", 3), 3);
    ::close(file);
    ::close(folder);
    const Outcome outcome = RunProgram(dir, {"-k", "-o", dir / "out/", dir / "site"});
    EXPECT_EQ(outcome.status, 1);
    EXPECT_THAT(outcome.err, HasSubstr("/a.css\". File name too long"));
}

// A frame far larger than its screen costs no more than its screen; a GIF
// without an image is named so. Both levels, the source kept or copied.
TEST(Edges, DamagedGifsAreBoundedAndNamed)
{
    const auto le16 = [](int value) { return std::string{char(value & 0xFF), char(value >> 8)}; };
    const std::string screen = "GIF89a" + le16(32) + le16(32) + std::string("\x80\x00\x00\x00\x00\x00\xff\xff\xff", 9);
    const std::string hugeFrame =
        screen + "," + le16(0) + le16(0) + le16(13532) + le16(23121) + std::string("\0\x02\x02\x44\x01\0;", 8);
    struct Case {
        const char* name;
        std::string bytes;
        int status;
        const char* says;
    };
    const std::vector<Case> cases = {
        {"huge frame", hugeFrame, 0, "36 B  100.00%; kept: damaged GIF ("},
        {"no image", screen + ";", 1, "No image in the file; copied unchanged"},
    };
    for (const Case& test : cases) {
        for (const char* level : {"1", "2"}) {
            TempDir dir;
            WriteFile(dir / "a.gif", test.bytes);
            const Outcome outcome = RunProgram(dir, {"-k", "--gif", level, "-o", dir / "out", dir / "a.gif"});
            EXPECT_EQ(outcome.status, test.status) << test.name << " " << level << "\n" << outcome.err;
            EXPECT_THAT(outcome.out, HasSubstr(test.says)) << test.name << " " << level;
            EXPECT_EQ(ReadFile(dir / "out/a.gif"), test.bytes) << test.name << " " << level;
        }
    }
}
