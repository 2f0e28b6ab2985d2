// An image output that does not show its source's picture is never accepted:
// plug-ins that spoil their output on purpose, then a real run.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "TestSupport.h"

using ::testing::HasSubstr;
using ::testing::Not;

namespace {

// The real plug-in folder, with pngout.exe and jhead.exe replaced by scripts
// that write smaller files of other pixels (a changed pixel; a JPEG encoded again).
std::string SpoilingPlugins(const TempDir& dir)
{
    const std::string plugins = dir / "plugins";
    std::filesystem::copy(std::string(QWO_BIN_DIR) + "/plugins", plugins);
    WriteFile(plugins + "/pngout.exe",
              "#!/bin/sh\nfor a; do src=$dst; dst=$a; done\n"
              "exec convert \"$src\" -fill '#010203' -draw 'point 0,0' PNG32:\"$dst\"\n");
    WriteFile(plugins + "/jhead.exe", "#!/bin/sh\nfor a; do f=$a; done\nexec convert \"$f\" -quality 40 \"$f\"\n");
    for (const char* name : {"/pngout.exe", "/jhead.exe"})
        std::filesystem::permissions(plugins + name, std::filesystem::perms::owner_all);
    return plugins;
}

}  // namespace

TEST(ProvedImages, AnOutputThatDoesNotMatchIsTheSourcesBytesAndSaysSo)
{
    TempDir dir;
    const std::string site = std::string(QWO_SOURCE_DIR) + "/examples/site/images/";
    const std::string plugins = SpoilingPlugins(dir);
    for (const char* run : {"first", "again"}) {
        const Outcome outcome =
            RunProgram(dir, {"--plugin-dir", plugins, "--incremental", "--json", dir / "r.json", "--report",
                             dir / "r.html", "-o", dir / "out", site + "logo.png", site + "photo.jpg"});
        ASSERT_EQ(outcome.status, 0) << outcome.err;
        EXPECT_THAT(outcome.err, HasSubstr("2 images kept: output did not match\n")) << run;
        const std::string json = ReadFile(dir / "r.json");
        for (const char* name : {"logo.png", "photo.jpg"}) {
            EXPECT_EQ(ReadFile(dir / ("out/" + std::string(name))), ReadFile(site + name)) << name << " " << run;
            EXPECT_THAT(outcome.out, ::testing::MatchesRegex(std::string("(.|\n)*") + name +
                                                             " .* 100\\.00%; kept: output did not match\n(.|\n)*"))
                << run;
            EXPECT_THAT(ReadFile(dir / "r.html"), HasSubstr("100.00%; kept: output did not match")) << run;
        }
        const std::string status = run == std::string("first") ? "kept" : "reused";
        EXPECT_THAT(json, HasSubstr("\"ratio\": 100.00, \"status\": \"" + status + "\"")) << run;
        EXPECT_THAT(json, HasSubstr("\"kept\": \"output did not match\"")) << run;
    }
    EXPECT_THAT(ReadFile(dir / "out/.quorvan-manifest.json"), HasSubstr("\"kept\": \"output did not match\""));
}

TEST(ProvedImages, TheSampleSiteKeepsNoImage)
{
    TempDir dir;
    const std::string site = std::string(QWO_SOURCE_DIR) + "/examples/site";
    for (const char* png : {"1", "4"})
        for (const char* jpeg : {"1", "4", "13"}) {
            const Outcome outcome =
                RunProgram(dir, {"--png", png, "--jpeg", jpeg, "--json", dir / "r.json", "-o", dir / "out", site});
            ASSERT_EQ(outcome.status, 0) << outcome.err;
            EXPECT_THAT(outcome.out + outcome.err, Not(HasSubstr("kept"))) << png << " " << jpeg;
            EXPECT_THAT(ReadFile(dir / "r.json"), HasSubstr("\"kept\": 0,"));
        }
}

namespace {

std::uint32_t Crc32(const std::string& bytes)
{
    std::uint32_t crc = 0xffffffff;
    for (const unsigned char byte : bytes) {
        crc ^= byte;
        for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xedb88320 & (0 - (crc & 1)));
    }
    return ~crc;
}

// The sample PNG with its IHDR height 0 and the chunk's checksum made right.
std::string PngOfHeightZero(std::string png)
{
    png.replace(20, 4, 4, '\0');
    const std::uint32_t crc = Crc32(png.substr(12, 17));
    for (int i = 0; i < 4; ++i) png[29 + i] = char(crc >> (24 - 8 * i));
    return png;
}

}  // namespace

// A source its decoder refuses is copied as it is, never handed to a plug-in
// and never reported as optimized.
TEST(ProvedImages, ADamagedSourceIsKeptAndNamedSo)
{
    TempDir dir;
    const std::string jpeg = SampleFile("images/photo.jpg");
    const std::string png = SampleFile("images/logo.png");
    std::string badHuffman = jpeg;
    badHuffman.replace(badHuffman.find("\xff\xc4") + 5, 16, 16, '\xff');  // code counts past 256
    std::string badCrc = png;
    badCrc[16] ^= 0x01;  // the width, under IHDR's old checksum
    const struct {
        std::string name, bytes, kept;
    } cases[] = {
        {"truncated.jpg", jpeg.substr(0, 200), "damaged JPEG (JPEG datastream contains no image)"},
        {"huffman.jpg", badHuffman, "damaged JPEG (Bogus Huffman table definition)"},
        {"crc.png", badCrc, "damaged PNG (IHDR: CRC error)"},
        {"height0.png", PngOfHeightZero(png), "damaged PNG (Invalid IHDR data: Image height is zero in IHDR)"},
    };
    std::vector<std::string> arguments = {"--json", dir / "r.json", "-o", dir / "out"};
    for (const auto& c : cases) {
        WriteFile(dir / c.name, c.bytes);
        arguments.push_back(dir / c.name);
    }
    for (const char* level : {"1", "4"}) {
        std::vector<std::string> run = {"--png", level, "--jpeg", level};
        run.insert(run.end(), arguments.begin(), arguments.end());
        const Outcome outcome = RunProgram(dir, run);
        ASSERT_EQ(outcome.status, 0) << outcome.err;
        for (const auto& c : cases) {
            EXPECT_EQ(ReadFile(dir / ("out/" + c.name)), c.bytes) << c.name;
            EXPECT_THAT(outcome.out, HasSubstr("100.00%; kept: " + c.kept + "\n")) << c.name;
            EXPECT_THAT(outcome.err, HasSubstr(c.name + ": kept: " + c.kept + "\n"));
            EXPECT_THAT(ReadFile(dir / "r.json"), HasSubstr("\"kept\": \"" + c.kept + "\""));
        }
        EXPECT_THAT(outcome.out + outcome.err, Not(::testing::ContainsRegex("RUST_BACKTRACE|panicked|allocation")));
    }
}
