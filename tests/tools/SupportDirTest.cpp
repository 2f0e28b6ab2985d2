// Where a program finds plugins/, the script host and help.html: beside
// itself in the build tree, in the private folder of an installation prefix.

#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "compressors/base/PluginDir.h"
#include "tests/support/TempDir.h"

namespace {

TEST(SupportDirTest, BuildTreeThenInstalledFolderThenTheProgramsOwn)
{
    struct Case {
        const char* what;
        std::vector<const char*> folders;  // made below the temp folder
        const char* expected;              // relative to it
    };
    const Case cases[] = {
        {"plugins/ beside the program", {"bin/plugins"}, "bin/"},
        {"beside wins over installed", {"bin/plugins", "lib/quorvan-web-optimizer/plugins"}, "bin/"},
        {"installed prefix", {"bin", "lib/quorvan-web-optimizer/plugins"}, "lib/quorvan-web-optimizer/"},
        {"installed folder without plugins/", {"bin", "lib/quorvan-web-optimizer"}, "bin/"},
        {"nothing anywhere", {"bin"}, "bin/"},
    };
    for (const Case& c : cases) {
        TempDir dir;
        for (const char* folder : c.folders) std::filesystem::create_directories(dir / folder);
        EXPECT_EQ(SupportDirFor(dir / "bin/"), dir / c.expected) << c.what;
    }
}

TEST(SupportDirTest, ThisTestFindsTheBuildTreesPlugins)
{
    EXPECT_EQ(SupportDir(), ProgramDir());
    EXPECT_EQ(PluginDir(), ProgramDir() + "plugins/");
}

}  // namespace
