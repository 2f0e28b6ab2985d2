// quorvan.toml, --include/--exclude and --watch, on the built program.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <thread>

#include "TestSupport.h"
#include "app/cli/PathGlob.h"

namespace fs = std::filesystem;
using ::testing::HasSubstr;

namespace {

// Waits for the condition; false only when it still fails after a minute.
bool Eventually(const std::function<bool()>& condition)
{
    for (int i = 0; i < 3000; ++i) {
        if (condition()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return condition();
}

std::string Output(const TempDir& dir, const std::string& name)
{
    return FileExists(dir / name) ? ReadFile(dir / name) : std::string();
}

}  // namespace

TEST(SiteConfig, GlobsMatchSlashSeparatedPaths)
{
    struct Case {
        const char* glob;
        const char* path;
        bool matches;
    };
    for (const Case& test : std::vector<Case>{{"*.css", "a.css", true},
                                              {"*.css", "css/a.css", false},
                                              {"**/*.css", "a.css", true},
                                              {"**/*.css", "css/deep/a.css", true},
                                              {"**.css", "css/a.css", true},
                                              {"css/**", "css/a/b.gif", true},
                                              {"css/**", "js/a.js", false},
                                              {"a/**/b.js", "a/b.js", true},
                                              {"a/**/b.js", "a/x/y/b.js", true},
                                              {"a/**/b.js", "a/xb.js", false},
                                              {"?.js", "a.js", true},
                                              {"?.js", "ab.js", false},
                                              {"a?b", "a/b", false},
                                              {"drafts/*", "drafts/x/y.html", false},
                                              {"index.html", "index.html", true},
                                              {"index.html", "x/index.html", false}})
        EXPECT_EQ(GlobMatches(test.glob, test.path), test.matches) << test.glob << " " << test.path;
}

TEST(SiteConfig, FileSettingsApplyAndOptionsWin)
{
    TempDir dir;
    WriteFile(dir / "site/a.css", "a {  color : red ;  }\n");
    WriteFile(dir / "site/b.css", "b {  color : red ;  }\n");
    WriteFile(dir / "site/drafts/c.css", "c { }\n");
    WriteFile(dir / "site/notes.txt", "x");
    WriteFile(dir / "site/quorvan.toml", "# the site's settings\ncss = 0\nexclude = [\"drafts/**\"]\n"
                                         "include = [\"**/*.css\"]\nreport = \"" + dir / "report.html" + "\"\n");
    const Outcome outcome = RunProgram(dir, {"-q", "-o", dir / "out", dir / "site"});
    EXPECT_EQ(outcome.status, 0) << outcome.err;
    EXPECT_EQ(Output(dir, "out/a.css"), ReadFile(dir / "site/a.css"));  // css = 0: copied
    for (const char* leftOut : {"out/drafts/c.css", "out/notes.txt", "out/quorvan.toml"})
        EXPECT_FALSE(FileExists(dir / leftOut)) << leftOut;
    EXPECT_TRUE(FileExists(dir / "report.html"));

    // The command line wins: its level, its exclude list; --config names another file.
    WriteFile(dir / "other.toml", "css = 0\njobs = 2\nkeep-going = true\nincremental = true\n");
    const Outcome given = RunProgram(dir, {"-q", "--config", dir / "other.toml", "--css", "2", "--exclude",
                                           "b.css", "-o", dir / "out2", dir / "site"});
    EXPECT_EQ(given.status, 0) << given.err;
    EXPECT_LT(Output(dir, "out2/a.css").size(), ReadFile(dir / "site/a.css").size());
    EXPECT_FALSE(FileExists(dir / "out2/b.css"));
    EXPECT_TRUE(FileExists(dir / "out2/drafts/c.css"));
    EXPECT_TRUE(FileExists(dir / "out2/quorvan.toml"));  // the site's file is not the one in use
    EXPECT_TRUE(FileExists(dir / "out2/.quorvan-manifest.json"));
}

TEST(SiteConfig, BadFilesAreUsageErrorsWithTheLine)
{
    struct Case {
        std::string text;
        std::string error;
    };
    const std::vector<Case> cases{
        {"css = 2\n\nturbo = true\n", "quorvan.toml:3: unknown key \"turbo\""},
        {"jobs = \"4\"\n", "quorvan.toml:1: \"jobs\" must be a whole number"},
        {"css = 2\ngif = 7\n", "quorvan.toml:2: \"gif\": invalid level 7 (allowed: 0, 1, 2)"},
        {"include = \"*.css\"\n", "quorvan.toml:1: \"include\" must be an array of strings"},
        {"exclude = [\"a\", 3]\n", "quorvan.toml:1: \"exclude\" must be an array of strings"},
        {"incremental = 1\n", "quorvan.toml:1: \"incremental\" must be true or false"},
        {"css = 2\ncss = 1\n", "quorvan.toml:2: "},
        {"[levels\n", "quorvan.toml:1: "},
    };
    for (const Case& test : cases) {
        TempDir dir;
        WriteFile(dir / "site/a.css", "a{}");
        WriteFile(dir / "site/quorvan.toml", test.text);
        const Outcome outcome = RunProgram(dir, {"-o", dir / "out", dir / "site"});
        EXPECT_EQ(outcome.status, 2) << test.text;
        EXPECT_THAT(outcome.err, HasSubstr(dir / "site/" + test.error)) << outcome.err;
        EXPECT_FALSE(FileExists(dir / "out")) << test.text;
    }
    TempDir dir;
    WriteFile(dir / "a.css", "a{}");
    const Outcome missing = RunProgram(dir, {"--config", dir / "none.toml", "-o", dir / "out", dir / "a.css"});
    EXPECT_EQ(missing.status, 2);
    EXPECT_THAT(missing.err, HasSubstr("none.toml: cannot read the configuration file"));
}

TEST(SiteConfig, DryRunNamesTheFilesLeftOut)
{
    TempDir dir;
    WriteFile(dir / "site/a.css", "a{}");
    WriteFile(dir / "site/img/b.gif", "GIF89a");
    WriteFile(dir / "site/img/c.txt", "x");
    const Outcome outcome = RunProgram(
        dir, {"-n", "--include", "**/*.css", "--include", "img/*", "--exclude", "*.txt", "--exclude", "img/*.txt", "-o",
              dir / "out", dir / "site"});
    EXPECT_EQ(outcome.status, 0) << outcome.err;
    EXPECT_THAT(outcome.out, HasSubstr(dir / "site/a.css -> " + dir / "out/a.css: optimize"));
    EXPECT_THAT(outcome.out, HasSubstr(dir / "site/img/b.gif -> "));
    EXPECT_THAT(outcome.out, HasSubstr(dir / "site/img/c.txt: left out (--include/--exclude)\n1 file left out"));
    EXPECT_FALSE(FileExists(dir / "out"));
}

TEST(SiteConfig, WatchOptimizesChangesUntilInterrupted)
{
    for (const bool withDelete : {false, true}) {
        TempDir dir;
        WriteFile(dir / "site/a.css", "a { color : red ; }");
        WriteFile(dir / "site/b.css", "b { color : red ; }");
        std::vector<std::string> arguments{"--watch", "--exclude", "*.tmp", "-o", dir / "out", dir / "site"};
        if (withDelete) arguments.insert(arguments.begin(), "--delete");
        const pid_t program = StartProgram(dir, arguments);
        ASSERT_GT(program, 0);
        const auto printed = [&](const std::string& text) {
            return Eventually([&] { return Output(dir, "stdout").find(text) != std::string::npos; });
        };
        ASSERT_TRUE(printed("Watching 1 folder")) << Output(dir, "stderr");

        WriteFile(dir / "site/a.css", "a { color : blue ; }");  // written in place
        EXPECT_TRUE(Eventually([&] { return Output(dir, "out/a.css").find("blue") != std::string::npos; }));
        WriteFile(dir / "site/b.css.tmp", "b { color : green ; }");  // an editor's save: renamed into place
        fs::rename(dir / "site/b.css.tmp", dir / "site/b.css");
        EXPECT_TRUE(Eventually([&] { return Output(dir, "out/b.css").find("green") != std::string::npos; }));
        WriteFile(dir / "new.css", "c { color : gray ; }");  // a new folder, its file already in it
        fs::create_directories(dir / "moved/deep");
        fs::rename(dir / "new.css", dir / "moved/deep/c.css");
        fs::rename(dir / "moved", dir / "site/moved");
        EXPECT_TRUE(Eventually([&] { return FileExists(dir / "out/moved/deep/c.css"); }));
        WriteFile(dir / "site/moved/deep/d.css", "d { }");  // the new folder is watched
        EXPECT_TRUE(Eventually([&] { return FileExists(dir / "out/moved/deep/d.css"); }));
        EXPECT_TRUE(printed(dir / "site/a.css: "));

        fs::remove(dir / "site/b.css");
        EXPECT_TRUE(printed(dir / "site/b.css: deleted"));
        EXPECT_EQ(FileExists(dir / "out/b.css"), !withDelete);
        EXPECT_FALSE(FileExists(dir / "out/b.css.tmp"));

        ASSERT_EQ(::kill(program, SIGINT), 0);
        int status = 0;
        ASSERT_EQ(::waitpid(program, &status, 0), program);
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGINT) << status;
        for (const auto& entry : fs::recursive_directory_iterator(dir / "out"))
            EXPECT_EQ(entry.path().filename().string().rfind(".qwo-", 0), std::string::npos) << entry.path();
        EXPECT_EQ(Output(dir, "stderr"), "");
    }
}
