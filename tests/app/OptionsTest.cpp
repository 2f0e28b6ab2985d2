// Option parsing, the folder walk and the text table of quorvan-optimize.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <map>
#include <set>
#include <sstream>
#include <thread>

#include "TestSupport.h"
#include "app/cli/FolderWalk.h"
#include "app/cli/Options.h"
#include "app/cli/TextTable.h"
#include "compressors/Optimizers.h"
#include "app/core/ResultGrid.h"

using ::testing::ElementsAre;

namespace {

std::string UsageMessage(const std::vector<std::string>& arguments)
{
    try {
        ParseOptions(arguments);
    } catch (const UsageError& error) {
        return error.what();
    }
    return "(accepted)";
}

}  // namespace

// The window's start entries, but the lossless GIF level.
TEST(Options, DefaultsAreTheSelectorsStartEntriesButGifOne)
{
    const CliOptions options = ParseOptions({"-o", "out", "site"});
    EXPECT_EQ(options.outputDir, "out");
    EXPECT_THAT(options.paths, ElementsAre("site"));
    EXPECT_EQ(options.levels.Of("css"), 2);
    EXPECT_EQ(options.levels.Of("html"), 2);
    EXPECT_EQ(options.levels.Of("gif"), 1);
    EXPECT_EQ(options.levels.Of("js"), 3);
    EXPECT_EQ(options.levels.Of("png"), 4);
    EXPECT_EQ(options.levels.Of("jpeg"), 4);
    EXPECT_TRUE(options.reportPath.empty());
    EXPECT_TRUE(options.pluginDir.empty());
}

TEST(Options, EveryOptionInBothSpellings)
{
    const CliOptions options =
        ParseOptions({"a.css", "--output-dir=out", "--css", "0", "--html=1", "--gif", "1", "--js", "4", "--png=2",
                      "--jpeg", "13", "--report", "r.html", "--plugin-dir=/p", "b.js", "[c,d]", "--css", "1",
                      "--css=0", "--", "-dash.css", "--"});
    EXPECT_EQ(options.outputDir, "out");
    EXPECT_EQ(options.levels.Of("css"), 0);
    EXPECT_EQ(options.levels.Of("html"), 1);
    EXPECT_EQ(options.levels.Of("gif"), 1);
    EXPECT_EQ(options.levels.Of("js"), 4);
    EXPECT_EQ(options.levels.Of("png"), 2);
    EXPECT_EQ(options.levels.Of("jpeg"), 13);
    EXPECT_EQ(options.reportPath, "r.html");
    EXPECT_EQ(options.pluginDir, "/p");
    EXPECT_THAT(options.paths, ElementsAre("a.css", "b.js", "[c,d]", "-dash.css", "--"));
    EXPECT_EQ(ParseOptions({"-oout", "x"}).outputDir, "out");
}

TEST(Options, HelpAndVersionEndTheParse)
{
    EXPECT_TRUE(ParseOptions({"--help"}).help);
    EXPECT_TRUE(ParseOptions({"-h", "--bogus"}).help);
    EXPECT_TRUE(ParseOptions({"--version"}).version);
}

// The help's level lines follow the selector table: every level but 0 named,
// the default starred; no line wider than a terminal.
TEST(Options, HelpNamesEveryLevelAndItsDefault)
{
    const std::string help = UsageText();
    std::istringstream lines(help);
    std::map<std::string, std::string> blocks;  // "--css" -> its line and the indented ones below
    std::string line, current;
    while (std::getline(lines, line)) {
        EXPECT_LE(line.size(), 80u) << line;
        if (line.rfind("  --", 0) == 0 && line.find(" N ") != std::string::npos)
            current = line.substr(2, line.find(' ', 2) - 2);
        else if (line.rfind("              ", 0) != 0)
            current.clear();
        if (!current.empty()) blocks[current] += line + "\n";
    }
    const CliOptions defaults = ParseOptions({"-o", "out", "x"});
    for (const FileKind row : Optimizers()) {
        const std::string name = "--" + row->name;
        std::set<int> expected, named;
        for (const int level : RowLevels(*row))
            if (level != 0) expected.insert(level);
        std::string starred;
        std::istringstream words(blocks[name]);
        for (std::string word; words >> word;) {
            while (!word.empty() && std::string(";,:.").find(word.back()) != std::string::npos) word.pop_back();
            const bool star = !word.empty() && word.back() == '*';
            if (star) word.pop_back();
            if (word.empty() || word.find_first_not_of("0123456789") != std::string::npos) continue;
            named.insert(std::stoi(word));
            if (star) starred += word;
        }
        EXPECT_EQ(named, expected) << name;
        EXPECT_EQ(starred, std::to_string(defaults.levels.Of(*row))) << name;
    }
}

TEST(Options, UsageErrorsNameTheFault)
{
    EXPECT_EQ(UsageMessage({"site"}), "missing required option -o/--output-dir");
    EXPECT_EQ(UsageMessage({"-o", "out"}), "no PATH given");
    EXPECT_EQ(UsageMessage({"-o"}), "-o: missing value");
    EXPECT_EQ(UsageMessage({"-o", "", "x"}), "-o: empty folder name");
    EXPECT_EQ(UsageMessage({"-o", "out", "--fast", "x"}), "unknown option \"--fast\"");
    EXPECT_EQ(UsageMessage({"-o", "out", "--css", "3", "x"}), "--css: invalid level \"3\" (allowed: 0, 1, 2)");
    EXPECT_EQ(UsageMessage({"-o", "out", "--js=5", "x"}), "--js: invalid level \"5\" (allowed: 0, 1, 2, 3, 4)");
    EXPECT_EQ(UsageMessage({"-o", "out", "--jpeg", "5", "x"}),
              "--jpeg: invalid level \"5\" (allowed: 0, 1, 2, 3, 4, 12, 13, 23)");
    EXPECT_EQ(UsageMessage({"-o", "out", "--png", "-1", "x"}), "--png: invalid level \"-1\" (allowed: 0, 1, 2, 3, 4)");
    EXPECT_EQ(UsageMessage({"-o", "out", "--gif", "", "x"}), "--gif: invalid level \"\" (allowed: 0, 1, 2)");
    EXPECT_EQ(UsageMessage({"-o", "out", "--html", " 1", "x"}), "--html: invalid level \" 1\" (allowed: 0, 1, 2)");
    EXPECT_EQ(UsageMessage({"-o", "out", "x", "--report"}), "--report: missing value");
    EXPECT_EQ(UsageMessage({"-o", "out", "--tool-timeout", "-1", "x"}),
              "--tool-timeout: invalid value \"-1\" (a whole number from 0 to 31536000)");
    EXPECT_EQ(UsageMessage({"-o", "out", "--tool-timeout=2.5", "x"}),
              "--tool-timeout: invalid value \"2.5\" (a whole number from 0 to 31536000)");
    EXPECT_EQ(UsageMessage({"-o", "out", "--tool-memory=", "x"}),
              "--tool-memory: invalid value \"\" (a whole number from 0 to 4294967296)");
    EXPECT_EQ(UsageMessage({"-o", "out", "--tool-memory", "99999999999999", "x"}),
              "--tool-memory: invalid value \"99999999999999\" (a whole number from 0 to 4294967296)");
    EXPECT_EQ(UsageMessage({"-o", "out", "x", "--tool-timeout"}), "--tool-timeout: missing value");
    EXPECT_EQ(UsageMessage({"-o", "out", "-j0", "x"}), "-j: invalid value \"0\" (a whole number from 1 to 1024)");
    EXPECT_EQ(UsageMessage({"--output-dir=", "x"}), "--output-dir: empty folder name");
    EXPECT_EQ(UsageMessage({"-o", "out", "-dash.css"}), "unknown option \"-dash.css\"");
}

TEST(Options, ToolLimits)
{
    const CliOptions defaults = ParseOptions({"-o", "out", "x"});
    EXPECT_EQ(defaults.toolTimeoutSeconds, 600);
    EXPECT_EQ(defaults.toolMemoryBytes, DefaultToolMemoryBytes());
    EXPECT_GT(defaults.toolMemoryBytes, 256u << 20);
    const CliOptions given = ParseOptions({"-o", "out", "--tool-timeout=2", "--tool-memory", "300", "x"});
    EXPECT_EQ(given.toolTimeoutSeconds, 2);
    EXPECT_EQ(given.toolMemoryBytes, 300u << 20);
    const CliOptions none = ParseOptions({"-o", "out", "--tool-timeout", "0", "--tool-memory=0", "x"});
    EXPECT_EQ(none.toolTimeoutSeconds, 0);
    EXPECT_EQ(none.toolMemoryBytes, 0u);
}

TEST(FolderWalk, FoldersGiveTheirSiteOrTheirWebFilesFlat)
{
    TempDir dir;
    for (const char* name :
         {"site/z.css", "site/b/page.html", "site/a/x.js", "site/a/y.JPG", "site/robots.txt", "site/a/deep/img.gif",
          "site/noext", "site/pic.jpe", "site/b/old.htm", "site/c.jpeg", "site/d.png", "site/e.jpg", "extra.txt",
          "site/.hidden.css", "site/.git/config", "site/.htaccess", "site/.well-known/security.txt",
          // skipped by a site walk: version control, system litter, this program's temporaries and manifest
          "site/.svn/entries", "site/.hg/store", "site/a/.DS_Store", "site/a/Thumbs.db",
          "site/.qwo-4242-0123456789abcdef.txt", "site/_temporary.4242-0123456789abcdef.t3mp",
          "site/.quorvan-manifest.json", "outside/linked/far.css"})
        WriteFile(dir / name, "x");
    std::filesystem::create_directories(dir / "site/empty.css");                          // a folder, not a file
    std::filesystem::create_symlink(dir / "outside/linked", dir / "site/folderlink");     // not followed
    std::filesystem::create_symlink(dir / "outside/linked/far.css", dir / "site/f.css");  // followed
    std::filesystem::create_symlink(dir / "nowhere.css", dir / "site/dangling.css");      // no file

    const std::string s = dir / "site/";
    using Entries = std::vector<std::pair<std::string, std::string>>;
    struct Case {
        std::vector<std::string> paths;
        bool flat;
        Entries expected;  // source, relative destination
    };
    const std::vector<Case> cases{
        {{dir / "extra.txt", dir / "site"},
         true,
         {{dir / "extra.txt", ""},
          {s + ".hidden.css", ""},
          {s + "a/deep/img.gif", ""},
          {s + "a/x.js", ""},
          {s + "a/y.JPG", ""},
          {s + "b/old.htm", ""},
          {s + "b/page.html", ""},
          {s + "c.jpeg", ""},
          {s + "d.png", ""},
          {s + "e.jpg", ""},
          {s + "f.css", ""},
          {s + "pic.jpe", ""},
          {s + "z.css", ""}}},
        {{dir / "extra.txt", dir / "site"},
         false,
         {{dir / "extra.txt", ""},
          {s + ".hidden.css", ".hidden.css"},
          {s + ".htaccess", ".htaccess"},
          {s + ".well-known/security.txt", ".well-known/security.txt"},
          {s + "a/deep/img.gif", "a/deep/img.gif"},
          {s + "a/x.js", "a/x.js"},
          {s + "a/y.JPG", "a/y.JPG"},
          {s + "b/old.htm", "b/old.htm"},
          {s + "b/page.html", "b/page.html"},
          {s + "c.jpeg", "c.jpeg"},
          {s + "d.png", "d.png"},
          {s + "e.jpg", "e.jpg"},
          {s + "f.css", "f.css"},
          {s + "noext", "noext"},
          {s + "pic.jpe", "pic.jpe"},
          {s + "robots.txt", "robots.txt"},
          {s + "z.css", "z.css"}}},
        // A folder given with a trailing "/" gives the same paths.
        {{dir / "site/a/"},
         false,
         {{s + "a/deep/img.gif", "deep/img.gif"}, {s + "a/x.js", "x.js"}, {s + "a/y.JPG", "y.JPG"}}},
        {{dir / "site/a/"}, true, {{s + "a/deep/img.gif", ""}, {s + "a/x.js", ""}, {s + "a/y.JPG", ""}}},
    };
    for (const Case& test : cases) {
        Entries entries;
        for (const TListEntry& entry : ExpandPaths(test.paths, test.flat))
            entries.emplace_back(entry.source, entry.relative);
        EXPECT_EQ(entries, test.expected) << test.paths.back() << (test.flat ? " flat" : " site");
    }
    EXPECT_THROW(ExpandPaths({dir / "missing"}), PathError);
    ASSERT_EQ(::mkfifo((dir / "pipe").c_str(), 0600), 0);
    EXPECT_THROW(ExpandPaths({dir / "pipe"}), PathError);
}

TEST(Options, RunOptions)
{
    const CliOptions defaults = ParseOptions({"-o", "out", "x"});
    EXPECT_EQ(defaults.jobs, static_cast<int>(std::max(1u, std::thread::hardware_concurrency())));
    EXPECT_FALSE(defaults.keepGoing || defaults.quiet || defaults.flat || defaults.allowOverwrite);
    EXPECT_EQ(defaults.jsonPath, "");
    const CliOptions given =
        ParseOptions({"-o", "out", "-j3", "-k", "-q", "--flat", "--allow-overwrite", "--json", "r.json", "x"});
    EXPECT_EQ(given.jobs, 3);
    EXPECT_TRUE(given.keepGoing && given.quiet && given.flat && given.allowOverwrite);
    EXPECT_EQ(given.jsonPath, "r.json");
    EXPECT_EQ(ParseOptions({"-o", "out", "--jobs=7", "--keep-going", "--quiet", "x"}).jobs, 7);
    EXPECT_EQ(ParseOptions({"-o", "out", "-j", "2", "x"}).jobs, 2);
    for (const std::vector<std::string>& bad : {std::vector<std::string>{"-o", "out", "-j", "0", "x"},
                                                {"-o", "out", "-j", "many", "x"},
                                                {"-o", "out", "--jobs=2000", "x"},
                                                {"-o", "out", "--json", "", "x"},
                                                {"-o", "out", "x", "--json"}})
        EXPECT_THROW(ParseOptions(bad), UsageError) << bad[2];
}

TEST(TextTable, AlignsColumnsAndSkipsEmptyRows)
{
    TResultGrid grid;
    grid.SetRowCount(4);
    grid.SetCell(1, 1, "site/a.css");
    grid.SetCell(2, 1, "     2.0 kB");
    grid.SetCell(3, 1, "     1.5 kB");
    grid.SetCell(4, 1, "75.00%");
    grid.SetCell(1, 2, "site/images/b.png");
    grid.SetCell(3, 3, "TOTAL");
    grid.SetCell(4, 3, "75.00%");
    EXPECT_EQ(FormatTable(grid), "Filename           Original size  Opimized size   Ratio\n"
                                 "-------------------------------------------------------\n"
                                 "site/a.css                2.0 kB         1.5 kB  75.00%\n"
                                 "site/images/b.png\n"
                                 "                                          TOTAL  75.00%\n");
}

TEST(TextTable, AFailureIsOneLineOfAtMost80CharactersAcrossTheSizeColumns)
{
    const std::string reason = "failed: optipng failed: " + std::string(60, 'x');  // 84 characters
    const std::pair<std::string, std::string> cases[] = {
        {"failed: short", "failed: short"},
        {"failed: first line\nsecond line", "failed: first line..."},
        {reason, reason.substr(0, 77) + "..."},
        {reason + "; copied unchanged", reason.substr(0, 59) + "...; copied unchanged"},
        {"failed: caf\xC3\xA9 " + std::string(80, 'y'), "failed: caf\xC3\xA9 " + std::string(64, 'y') + "..."},
    };
    for (const auto& [cell, shown] : cases) {
        TResultGrid grid;
        grid.SetRowCount(4);
        grid.SetCell(1, 1, "a.css");
        grid.SetCell(2, 1, "       2 B");
        grid.SetCell(3, 1, "       1 B");
        grid.SetCell(4, 1, "50.00%");
        grid.SetCell(1, 2, "b.png");
        grid.SetCell(3, 2, cell);
        EXPECT_EQ(FormatTable(grid), "Filename  Original size  Opimized size   Ratio\n"
                                     "----------------------------------------------\n"
                                     "a.css               2 B            1 B  50.00%\n"
                                     "b.png     " +
                                         shown + "\n")
            << cell;
    }
}
