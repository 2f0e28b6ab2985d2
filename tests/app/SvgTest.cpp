// SVG images through quorvan-optimize and the real svgo plug-in.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "TestSupport.h"

using ::testing::HasSubstr;

namespace {

// An icon with what every level must keep and plenty that levels may drop.
const std::string kIcon =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<!-- drawn by hand -->\n"
    "<svg xmlns=\"http://www.w3.org/2000/svg\" xmlns:inkscape=\"http://www.inkscape.org/namespaces/inkscape\"\n"
    "     width=\"16\" height=\"16\" viewBox=\"0 0 16 16\" inkscape:version=\"1.2\">\n"
    "  <title>Folder</title>\n"
    "  <desc>An open folder</desc>\n"
    "  <defs>\n"
    "    <symbol id=\"unused-sprite\"><rect width=\"4\" height=\"4\"/></symbol>\n"
    "  </defs>\n"
    "  <g id=\"layer1\" style=\"fill:#ff0000;fill-opacity:1\">\n"
    "    <rect id=\"body\" x=\"1.000\" y=\"3\" width=\"14\" height=\"11\" stroke=\"none\"/>\n"
    "  </g>\n"
    "</svg>\n";

bool PluginBuilt()
{
    return std::filesystem::exists(std::string(QWO_BIN_DIR) + "/plugins/SVG.wsf");
}

}  // namespace

TEST(Svg, LevelsShrinkInTurnAndKeepWhatOthersMayPointAt)
{
    if (!PluginBuilt()) GTEST_SKIP() << "SVG.wsf not built (svgo comes from npm: scripts/install-deps.sh)";
    TempDir dir;
    WriteFile(dir / "in/icon.svg", kIcon);
    std::size_t previous = kIcon.size() + 1;
    for (const char* level : {"0", "1", "2"}) {
        const std::string out = dir / (std::string("out") + level);
        const Outcome outcome = RunProgram(dir, {"--svg", level, "-o", out, dir / "in"});
        ASSERT_EQ(outcome.status, 0) << level << "\n" << outcome.err;
        const std::string output = ReadFile(out + "/icon.svg");
        EXPECT_LE(output.size(), previous) << "level " << level;
        previous = output.size();
        if (level == std::string("0")) EXPECT_EQ(output, kIcon);
        else EXPECT_LT(output.size(), kIcon.size()) << level;
        for (const char* kept : {"viewBox=\"0 0 16 16\"", "<title>Folder</title>", "<desc>An open folder</desc>",
                                 "id=\"unused-sprite\"", "id=\"layer1\"", "id=\"body\""})
            EXPECT_THAT(output, HasSubstr(kept)) << "level " << level;
    }
}

TEST(Svg, AnImageSvgoCannotReadIsKeptWithItsReason)
{
    if (!PluginBuilt()) GTEST_SKIP() << "SVG.wsf not built (svgo comes from npm: scripts/install-deps.sh)";
    struct Case {
        std::string name, bytes, reason;
    };
    const std::vector<Case> cases{
        {"cut.svg", "<svg xmlns=\"http://www.w3.org/2000/svg\"><g><rect width=\"1\"", "not well-formed at line 1"},
        {"crossed.svg", "<svg xmlns=\"http://www.w3.org/2000/svg\"><g></svg>", "not well-formed at line 1, column"},
        {"latin1.svg", "<svg xmlns=\"http://www.w3.org/2000/svg\"><title>caf\xe9</title></svg>", "not UTF-8 text"},
    };
    for (const Case& test : cases) {
        TempDir dir;
        WriteFile(dir / ("in/" + test.name), test.bytes);
        const Outcome outcome = RunProgram(dir, {"--json", dir / "r.json", "-o", dir / "out", dir / "in"});
        EXPECT_EQ(outcome.status, 0) << test.name << "\n" << outcome.err;
        EXPECT_EQ(ReadFile(dir / ("out/" + test.name)), test.bytes) << test.name;
        EXPECT_THAT(outcome.out + outcome.err, HasSubstr("kept: svgo cannot read it: " + test.reason)) << test.name;
        EXPECT_THAT(ReadFile(dir / "r.json"), HasSubstr("\"kind\": \"svg\"")) << test.name;
    }
}
