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
