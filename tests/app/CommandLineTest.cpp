// quorvan-optimize as a user runs it: the built program, real plug-ins, real files.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <regex>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "TestSupport.h"

using ::testing::HasSubstr;
using ::testing::MatchesRegex;
using ::testing::Not;

TEST(CommandLine, UsageErrorsExitTwo)
{
    TempDir dir;
    for (const std::vector<std::string>& arguments : {std::vector<std::string>{},
                                                      {"-o", dir / "out"},
                                                      {dir.Path()},
                                                      {"-o", dir / "out", "--css", "3", "x"},
                                                      {"-o", dir / "out", "--turbo", dir.Path()},
                                                      {"-o", dir / "out", dir / "missing.css"}}) {
        const Outcome outcome = RunProgram(dir, arguments);
        EXPECT_EQ(outcome.status, 2) << outcome.err;
        EXPECT_THAT(outcome.err, HasSubstr("quorvan-optimize: "));
        EXPECT_THAT(outcome.err, HasSubstr("--help"));
        EXPECT_EQ(outcome.out, "");
    }
    WriteFile(dir / "hidden/.git/index.html", "<p>x</p>");
    WriteFile(dir / "hidden/.DS_Store", "x");
    WriteFile(dir / "plain/notes.txt", "x");
    for (const std::vector<std::string>& arguments :  // only hidden entries below; no web file below
         {std::vector<std::string>{"-o", dir / "out", dir / "hidden"}, {"-o", dir / "out", "--flat", dir / "plain/"}}) {
        const Outcome empty = RunProgram(dir, arguments);
        EXPECT_EQ(empty.status, 2);
        EXPECT_THAT(empty.err, HasSubstr("no files to optimize"));
    }
}

TEST(CommandLine, HelpAndVersion)
{
    TempDir dir;
    const Outcome help = RunProgram(dir, {"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_THAT(help.out, HasSubstr("Usage: quorvan-optimize [OPTIONS] PATH..."));
    EXPECT_THAT(help.out, HasSubstr("--jpeg N"));
    EXPECT_THAT(help.out, HasSubstr("--tool-timeout SECONDS"));
    EXPECT_THAT(help.out, HasSubstr("--tool-memory MB"));
    const Outcome version = RunProgram(dir, {"--version"});
    EXPECT_EQ(version.status, 0);
    // The whole project version, as the package and the manual pages give it.
    EXPECT_THAT(version.out, MatchesRegex("quorvan-optimize \\(Quorvan Web Optimizer\\) [0-9]+\\.[0-9]+\\.[0-9]+\\s*"));
}

TEST(CommandLine, OptimizesTheSampleSite)
{
    TempDir dir;
    const std::string site = dir / "site";
    std::filesystem::copy(std::string(QWO_SOURCE_DIR) + "/examples/site", site,
                          std::filesystem::copy_options::recursive);
    const std::string out = dir / "new/out";  // created, "/" added
    const std::string report = dir / "report.html";
    const Outcome outcome = RunProgram(dir, {"-o", out, "--report", report, site, site + "/robots.txt"});
    ASSERT_EQ(outcome.status, 0) << outcome.err;
    EXPECT_THAT(outcome.err, Not(HasSubstr("Unable to run")));
    EXPECT_THAT(outcome.err, Not(HasSubstr("warning")));

    EXPECT_THAT(outcome.out, HasSubstr("Filename"));
    EXPECT_THAT(outcome.out, HasSubstr("Opimized size"));
    EXPECT_THAT(outcome.out, ::testing::MatchesRegex("(.|\n)*TOTAL +-?[0-9]+\\.[0-9][0-9]%\nReport: .*report.html\n"));
    EXPECT_THAT(outcome.out, HasSubstr(site + "/robots.txt"));

    // Every file of the site has its result at its place in the tree (robots.txt
    // listed twice: one destination).
    int results = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(site)) {
        if (!entry.is_regular_file()) continue;
        const std::string relative = entry.path().lexically_relative(site).string();
        EXPECT_TRUE(FileExists(out + "/" + relative)) << relative;
        EXPECT_THAT(outcome.out, HasSubstr(entry.path().string()));
        ++results;
    }
    EXPECT_GE(results, 8);
    EXPECT_EQ(ReadFile(out + "/robots.txt"), ReadFile(site + "/robots.txt"));

    // The sample site's images and scripts shrink.
    for (const char* name : {"images/photo.jpg", "images/logo.png"})
        EXPECT_LT(std::filesystem::file_size(out + "/" + name), std::filesystem::file_size(site + "/" + name)) << name;

    const std::string html = ReadFile(report);
    EXPECT_EQ(html.rfind("<!DOCTYPE HTML PUBLIC", 0), 0u);
    EXPECT_THAT(html, HasSubstr("<td>&nbsp;<td>&nbsp;<td>TOTAL<td>"));
    EXPECT_THAT(html, HasSubstr("<td>" + site + "/robots.txt<td>"));
}

TEST(CommandLine, FailingFileExitsOneAndKeepsEarlierRows)
{
    TempDir dir;
    WriteFile(dir / "site/a.txt", "first");
    WriteFile(dir / "site/b.txt", "second");
    WriteFile(dir / "out/b.txt", "");
    // b.txt's destination is a listed source (the third entry).
    const Outcome outcome =
        RunProgram(dir, {"-j", "1", "--allow-overwrite", "-o", dir / "out", "--report", dir / "r.html",
                         dir / "site/a.txt", dir / "site/b.txt", dir / "out/b.txt", dir / "site/a.txt"});
    EXPECT_EQ(outcome.status, 1);
    EXPECT_EQ(outcome.err, dir / "site/b.txt" + ": Cannot create file \"" + dir / "out/b.txt" +
                               "\". The destination is the listed source \"" + dir / "out/b.txt" + "\".\n");
    EXPECT_THAT(outcome.out, HasSubstr(dir / "site/a.txt"));
    EXPECT_THAT(outcome.out, Not(HasSubstr("TOTAL")));
    EXPECT_EQ(ReadFile(dir / "out/b.txt"), "");  // a source: never written
    EXPECT_EQ(ReadFile(dir / "out/a.txt"), "first");
    EXPECT_THAT(ReadFile(dir / "r.html"), HasSubstr("<td>" + dir / "site/b.txt" + "<td>&nbsp;"));
}

TEST(CommandLine, MissingPluginsWarnAndTheirFilesAreCopied)
{
    TempDir dir;
    std::filesystem::create_directories(dir / "plugins/jhead.exe");  // a folder does not count
    const std::string png = ReadFile(std::string(QWO_SOURCE_DIR) + "/examples/site/images/logo.png");
    WriteFile(dir / "in/pic.png", png);
    WriteFile(dir / "in/second.png", png);
    const Outcome outcome = RunProgram(dir, {"--plugin-dir", dir / "plugins", "-o", dir / "out", dir / "in"});
    EXPECT_EQ(outcome.status, 0) << outcome.err;
    for (const char* plugin : {"jhead.exe", "pngout.exe", "ESC.wsf"})
        EXPECT_THAT(outcome.err, HasSubstr("warning: plug-in \"" + std::string(plugin) + "\" not found in " +
                                           dir.Path() + "/plugins/"));
    const std::string notice = "quorvan-optimize: Plug-in \"pngout.exe\" not found in " + dir.Path() +
                               "/plugins/: PNG files are copied unchanged.\n";
    EXPECT_THAT(outcome.err, HasSubstr(notice));
    EXPECT_EQ(outcome.err.find(notice), outcome.err.rfind(notice));  // once
    EXPECT_THAT(outcome.err, Not(HasSubstr("Unable to run")));
    EXPECT_EQ(ReadFile(dir / "out/pic.png"), png);
    EXPECT_EQ(ReadFile(dir / "out/second.png"), png);
}

TEST(CommandLine, HostileNamesReadAsTextInTheReport)
{
    TempDir dir;
    const std::string site = dir / "site";
    for (const char* name : {"<img src=x onerror=alert(1)>.css", "a&b.txt", "\"double\" 'single'.txt", "caf\xe9.txt"})
        WriteFile(site + "/" + name, "p { color: red }");
    // A failure whose reason names a hostile path: its destination is a folder.
    WriteFile(site + "/<b>bold</b>.txt", "x");
    std::filesystem::create_directories(dir / "out/<b>bold</b>.txt");
    const Outcome outcome = RunProgram(dir, {"-k", "-o", dir / "out", "--report", dir / "report.html", site});
    EXPECT_EQ(outcome.status, 1) << outcome.err;

    const std::string html = ReadFile(dir / "report.html");
    for (const std::string& cell :
         {"<td>" + site + "/&lt;img src=x onerror=alert(1)&gt;.css<td>", "<td>" + site + "/a&amp;b.txt<td>",
          "<td>" + site + "/&quot;double&quot; &#39;single&#39;.txt<td>", "<td>" + site + "/caf\uFFFD.txt<td>",
          "<td>failed: Cannot create file &quot;" + dir.Path() +
              "/out/&lt;b&gt;bold&lt;/b&gt;.txt&quot;. Is a directory<td>"})
        EXPECT_THAT(html, HasSubstr(cell));
    EXPECT_EQ(html.find('\xe9'), std::string::npos);
    // Every tag is the report's own.
    const std::set<std::string> own{"!DOCTYPE", "html",  "/html", "head",   "/head", "meta", "title", "/title",
                                    "body",     "/body", "table", "/table", "tr",    "/tr",  "th",    "td"};
    const std::regex tag("<(/?[!A-Za-z]*)");
    for (auto match = std::sregex_iterator(html.begin(), html.end(), tag); match != std::sregex_iterator(); ++match)
        EXPECT_TRUE(own.count((*match)[1])) << (*match)[0];
}

// Each file's "lossy" follows its kind and level; the totals count them.
TEST(CommandLine, JsonMarksTheFilesWrittenAtLossyLevels)
{
    struct Case {
        std::vector<std::string> levels;
        std::map<std::string, std::string> lossyByKind;  // every file of the kind
        int lossyFiles;
    };
    const std::vector<Case> cases{
        {{},
         {{"css", "true"}, {"html", "true"}, {"jpeg", "false"}, {"gif", "false"}, {"js", "false"}, {"png", "false"},
          {"other", "false"}},
         6},
        {{"--css", "0", "--html", "0", "--jpeg", "13", "--gif", "2"},
         {{"css", "false"}, {"html", "false"}, {"jpeg", "false"}, {"gif", "true"}, {"js", "false"}, {"png", "false"},
          {"other", "false"}},
         2},  // bullet.gif keeps its bytes: with its transparency, level 2 is not smaller
        {{"--css", "1", "--html", "0"},
         {{"css", "false"}, {"html", "false"}, {"jpeg", "false"}, {"gif", "false"}, {"js", "false"}, {"png", "false"},
          {"other", "false"}},
         0},
    };
    for (const Case& test : cases) {
        TempDir dir;
        std::vector<std::string> arguments = test.levels;
        for (const std::string& argument : {std::string("--json"), dir / "r.json", std::string("-o"), dir / "out",
                                            std::string(QWO_SOURCE_DIR) + "/examples/site"})
            arguments.push_back(argument);
        const Outcome outcome = RunProgram(dir, arguments);
        ASSERT_EQ(outcome.status, 0) << outcome.err;
        const std::string json = ReadFile(dir / "r.json");
        const std::regex row("\"kind\": \"([a-z]+)\",[^}]*\"original\": ([0-9]+), \"optimized\": ([0-9]+),[^}]*"
                             "\"status\": \"([a-z]+)\",[^}]*\"lossy\": (true|false)");
        std::set<std::string> kinds;
        std::smatch match;
        int kept = 0;  // an image whose output did not match is its source's bytes: never lossy
        for (auto it = json.cbegin(); std::regex_search(it, json.cend(), match, row); it = match[0].second) {
            kinds.insert(match[1]);
            // A file that keeps its source's bytes (not smaller, or kept) is not lossy.
            kept += match[4] == "kept";
            const bool source = match[2] == match[3] || match[4] == "kept";
            EXPECT_EQ(match[5], source ? "false" : test.lossyByKind.at(match[1]))
                << match[1] << " " << ::testing::PrintToString(test.levels);
        }
        EXPECT_EQ(kinds.size(), test.lossyByKind.size());
        EXPECT_THAT(json, HasSubstr("\"failed\": 0, \"lossy\": " + std::to_string(test.lossyFiles - kept) + ","));
    }
}

// An output that is not smaller than its source is the source's bytes, at
// 100.00%, and an incremental run keeps reusing it.
TEST(CommandLine, AnOutputThatIsNotSmallerIsTheSourcesBytes)
{
    TempDir dir;
    const std::string site = std::string(QWO_SOURCE_DIR) + "/examples/site/";
    // Images already optimized by the program itself.
    const Outcome first = RunProgram(dir, {"-q", "-o", dir / "once", site + "images/logo.png", site + "images/photo.jpg"});
    ASSERT_EQ(first.status, 0) << first.err;
    struct Case {
        std::string name, bytes;
        std::vector<std::string> levels;
    };
    const std::vector<Case> cases{
        {"tiny.css", "a{color:red}", {"--css", "1"}},  // level 1 would add a line break
        {"merged.css", ".a{color:red}.b{color:blue}", {}},
        {"styled.html", "<style>a{color:red}</style>", {"--css", "1"}},
        {"page.html", "<p>a</p>", {}},
        {"min.js", "a();", {}},
        {"logo.png", ReadFile(dir / "once/logo.png"), {}},
        {"photo.jpg", ReadFile(dir / "once/photo.jpg"), {}},
    };
    for (const Case& test : cases) {
        const std::string source = dir / ("in/" + test.name);
        WriteFile(source, test.bytes);
        for (const char* run : {"first", "again"}) {
            std::vector<std::string> arguments = test.levels;
            for (const std::string& argument :
                 {std::string("--incremental"), std::string("--json"), dir / "r.json", std::string("-o"), dir / "out", source})
                arguments.push_back(argument);
            const Outcome outcome = RunProgram(dir, arguments);
            ASSERT_EQ(outcome.status, 0) << test.name << "\n" << outcome.err;
            EXPECT_EQ(ReadFile(dir / ("out/" + test.name)), test.bytes) << test.name << " " << run;
            EXPECT_THAT(outcome.out, MatchesRegex("(.|\n)*" + test.name + " .* 100\\.00%\n(.|\n)*")) << run;
            EXPECT_THAT(ReadFile(dir / "r.json"),
                        HasSubstr(std::string("\"ratio\": 100.00, \"status\": \"") +
                                  (run == std::string("first") ? "ok" : "reused") + "\""))
                << test.name << " " << run;
        }
    }
}

// An output folder inside the site is no part of it, nor is a folder holding
// an earlier run's manifest: a second run finds the site as it was and reuses
// every output. The folders left out are named once.
TEST(CommandLine, AnOutputFolderInsideTheSiteIsNotListed)
{
    TempDir dir;
    const std::string site = dir / "site";
    WriteFile(site + "/.htaccess", "RewriteEngine On\n");
    WriteFile(site + "/a.css", "a { color : red }");
    WriteFile(site + "/old/.quorvan-manifest.json", "{}");
    WriteFile(site + "/old/a.css", "a{color:red}");
    for (const char* run : {"first", "again"}) {
        const Outcome outcome = RunProgram(dir, {"--incremental", "--json", dir / "r.json", "-o", site + "/out", site});
        ASSERT_EQ(outcome.status, 0) << run << "\n" << outcome.err;
        EXPECT_THAT(ReadFile(dir / "r.json"), HasSubstr("\"files\": 2,")) << run;
        const std::string out = run == std::string("first") ? "" : ", \"" + site + "/out\"";
        EXPECT_THAT(outcome.err, HasSubstr("left out of the site (an output folder): \"" + site + "/old\"" + out + "\n"))
            << run;
    }
    EXPECT_FALSE(std::filesystem::exists(site + "/out/out"));
    EXPECT_EQ(ReadFile(site + "/out/.htaccess"), "RewriteEngine On\n");
}
