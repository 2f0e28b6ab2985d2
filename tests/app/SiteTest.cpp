// Whole sites through quorvan-optimize as built: the tree kept, clashes found
// before the run, results independent of the number of workers, a run that
// keeps going past failing files and copies them unchanged. Real plug-ins, real files.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <map>
#include <regex>
#include <set>
#include <sstream>

#include "TestSupport.h"
#include "app/cli/JsonText.h"

using ::testing::HasSubstr;
using ::testing::Not;

namespace fs = std::filesystem;

namespace {

std::string Sample(const std::string& path)
{
    return ReadFile(std::string(QWO_SOURCE_DIR) + "/examples/site/" + path);
}

// Every regular file below a folder (links not followed), by its path below it.
std::map<std::string, std::string> Tree(const std::string& folder)
{
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(folder))
        if (entry.is_regular_file() && !entry.is_symlink())
            files[entry.path().lexically_relative(folder).string()] = ReadFile(entry.path());
    return files;
}

std::set<std::string> Names(const std::map<std::string, std::string>& tree)
{
    std::set<std::string> names;
    for (const auto& [name, bytes] : tree) names.insert(name);
    return names;
}

// A site whose sub-folders repeat names of the top: index.html, style.css.
void WriteClashingSite(const std::string& site)
{
    WriteFile(site + "/index.html", Sample("index.html"));
    WriteFile(site + "/sub/index.html", "<html>  <p>sub   page</p></html>");
    WriteFile(site + "/css/style.css", Sample("css/style.css"));
    WriteFile(site + "/sub/css/style.css", "p  {  color : red ; }");
    WriteFile(site + "/images/logo.png", Sample("images/logo.png"));
    WriteFile(site + "/images/bullet.gif", Sample("images/bullet.gif"));
    WriteFile(site + "/images/favicon.ico", std::string("\0\0\1\0  ", 6));
    WriteFile(site + "/fonts/body.woff", std::string("wOFF\0\x01\x02  \xff\xfe", 12));
    WriteFile(site + "/robots.txt", Sample("robots.txt"));
    WriteFile(site + "/.git/config", "[core]");
    WriteFile(site + "/.DS_Store", "x");
    WriteFile(site + "/sub/.draft.html", "<p>draft</p>");
    fs::create_directory_symlink(".", site + "/loop");         // a folder link: not followed
    fs::create_symlink("css/style.css", site + "/alias.css");  // a file link: followed
}

}  // namespace

TEST(Site, AFolderKeepsItsTreeAndFlatPlacementRefusesClashes)
{
    const std::set<std::string> siteFiles{
        "alias.css",       "css/style.css", "fonts/body.woff", "images/bullet.gif", "images/favicon.ico",
        "images/logo.png", "index.html",    "robots.txt",      "sub/.draft.html",   "sub/css/style.css", "sub/index.html"};
    const std::set<std::string> flatFiles{".draft.html", "alias.css", "bullet.gif",
                                          "index.html",  "logo.png",  "style.css"};
    struct Case {
        std::vector<std::string> options;
        int status;
        std::set<std::string> outputs;  // empty: no output folder
    };
    const std::vector<Case> cases{
        {{}, 0, siteFiles},
        {{"-j", "3"}, 0, siteFiles},
        {{"--flat"}, 2, {}},
        {{"--flat", "--allow-overwrite", "-j", "4"}, 0, flatFiles},
    };
    for (const Case& test : cases) {
        TempDir dir;
        const std::string site = dir / "site";
        WriteClashingSite(site);
        std::vector<std::string> arguments = test.options;
        for (const std::string& argument : {std::string("-o"), dir / "out", site}) arguments.push_back(argument);
        const Outcome outcome = RunProgram(dir, arguments);
        const std::string name = test.options.empty() ? "site" : test.options[0];
        ASSERT_EQ(outcome.status, test.status) << name << "\n" << outcome.err;
        if (test.outputs.empty()) {
            EXPECT_EQ(outcome.err, "quorvan-optimize: 2 destinations would receive more than one file "
                                   "(--allow-overwrite lets the later replace the earlier):\n  " +
                                       dir / "out/style.css:\n    " + site + "/css/style.css\n    " + site +
                                       "/sub/css/style.css\n  " + dir / "out/index.html:\n    " + site +
                                       "/index.html\n    " + site +
                                       "/sub/index.html\nTry 'quorvan-optimize --help' for more information.\n")
                << name;
            EXPECT_FALSE(fs::exists(dir / "out")) << name;
            continue;
        }
        const auto out = Tree(dir / "out");
        EXPECT_EQ(Names(out), test.outputs) << name;
        if (test.options.empty() || test.options[0] == "-j") {
            for (const char* copied : {"fonts/body.woff", "images/favicon.ico", "robots.txt"})
                EXPECT_EQ(out.at(copied), ReadFile(site + "/" + copied)) << copied;
            EXPECT_THAT(out.at("sub/index.html"), HasSubstr("sub page"));
            EXPECT_LT(out.at("sub/css/style.css").size(), ReadFile(site + "/sub/css/style.css").size());
            EXPECT_EQ(out.at("alias.css"), out.at("css/style.css"));
            EXPECT_LT(out.at("images/logo.png").size(), Sample("images/logo.png").size());
        } else {
            // Files with one destination never run at once: the later one wins.
            EXPECT_THAT(out.at("index.html"), HasSubstr("sub page"));
            EXPECT_THAT(out.at("style.css"), HasSubstr("red"));
        }
    }
}

TEST(Site, ResultsDoNotDependOnTheNumberOfWorkers)
{
    TempDir dir;
    // The sample site, and a generated one of 300 files of every kind.
    fs::copy(std::string(QWO_SOURCE_DIR) + "/examples/site", dir / "sample", fs::copy_options::recursive);
    WriteGeneratedSite(dir / "generated");
    for (const std::string site : {"sample", "generated"}) {
        std::map<std::string, std::string> seen;  // what -j 1 gave
        for (const std::string jobs : {"1", "4"}) {
            const std::string run = dir / ("run" + jobs);
            fs::remove_all(run);
            const Outcome outcome = RunProgram(dir, {"-j", jobs, "-o", run + "/out", "--report", run + "/report.html",
                                                     "--json", run + "/results.json", dir / site});
            ASSERT_EQ(outcome.status, 0) << site << " -j " << jobs << "\n" << outcome.err;
            std::map<std::string, std::string> results = Tree(run);
            results["stdout"] = outcome.out;
            for (auto& [name, bytes] : results) {
                bytes = std::regex_replace(bytes, std::regex(run), "RUN");
                bytes = std::regex_replace(bytes, std::regex("seconds\": [0-9.]+"), "seconds\": S");
            }
            if (jobs == "1") {
                seen = results;
                continue;
            }
            EXPECT_EQ(Names(results), Names(seen)) << site;
            for (const auto& [name, bytes] : seen) EXPECT_EQ(results[name], bytes) << site << ": " << name;
            EXPECT_GE(results.size(), site == "sample" ? 14u : 303u);
        }
    }
}

TEST(Site, KeepGoingKeepsTheSiteWholeAndListsTheFailures)
{
    TempDir dir;
    const std::string site = dir / "site";
    WriteFile(site + "/a.css", "a  {  color : red }");
    WriteFile(site + "/b/broken.gif", Sample("images/banner.gif").substr(0, 40));
    WriteFile(site + "/c.html", "<p>  good   page </p>");
    WriteFile(site + "/d/locked.css", "b { color: blue }");
    WriteFile(site + "/e.txt", "plain");
    WriteFile(site + "/f.png", Sample("images/logo.png"));
    WriteFile(site + "/g/broken.png", "\x89PNG\r\n\x1a\n but nothing after the signature");
    WriteFile(site + "/h/broken.js", "function (  { // never closed\n");
    WriteFile(site + "/i.txt", "its destination is a folder");
    ::chmod((site + "/d/locked.css").c_str(), 0);
    const bool locked = ::geteuid() != 0;  // root reads it all the same
    const std::vector<std::string> copied{"b/broken.gif", "h/broken.js"};

    for (const std::string keepGoing : {"-k", ""}) {
        const std::string out = dir / ("out" + keepGoing);
        fs::create_directories(out + "/i.txt");  // a destination that cannot be created
        std::vector<std::string> arguments{"-j",     "2",           "--png",    "1",           "-o", out,
                                           "--json", out + ".json", "--report", out + ".html", site};
        if (!keepGoing.empty()) arguments.insert(arguments.begin(), keepGoing);
        const Outcome outcome = RunProgram(dir, arguments);
        EXPECT_EQ(outcome.status, 1) << keepGoing;
        const std::string broken = site + "/b/broken.gif: ";
        const std::string denied =
            site + "/d/locked.css: Cannot open file \"" + site + "/d/locked.css\". Permission denied\n";
        EXPECT_THAT(outcome.err, ::testing::StartsWith(broken)) << keepGoing;
        EXPECT_EQ(std::count(outcome.err.begin(), outcome.err.end(), '\n'), keepGoing.empty() ? 1
                                                                            : locked          ? 5
                                                                                              : 4)
            << outcome.err;
        const std::string json = ReadFile(out + ".json");
        if (keepGoing.empty()) {
            // The first failure in list order ends the run: no row after it, nothing copied.
            EXPECT_THAT(outcome.out, Not(HasSubstr("c.html")));
            EXPECT_THAT(outcome.out, Not(HasSubstr("TOTAL")));
            EXPECT_THAT(json, Not(HasSubstr("c.html")));
            EXPECT_FALSE(FileExists(out + "/b/broken.gif"));
            continue;
        }
        if (locked) {
            EXPECT_THAT(outcome.err, HasSubstr(denied));
        }
        EXPECT_LT(ReadFile(out + "/a.css").size(), ReadFile(site + "/a.css").size());
        EXPECT_THAT(ReadFile(out + "/c.html"), HasSubstr("good page"));
        EXPECT_EQ(ReadFile(out + "/e.txt"), "plain");
        EXPECT_TRUE(FileExists(out + "/f.png"));
        EXPECT_EQ(FileExists(out + "/d/locked.css"), !locked);
        EXPECT_TRUE(fs::is_directory(out + "/i.txt"));
        EXPECT_THAT(outcome.out, HasSubstr("TOTAL"));

        // A file that failed is copied unchanged, unless the copy itself cannot be made.
        for (const std::string& name : copied) {
            EXPECT_EQ(ReadFile(out + "/" + name), ReadFile(site + "/" + name)) << name;
            EXPECT_THAT(outcome.out, ::testing::ContainsRegex(site + "/" + name + " +failed: .*; copied unchanged\n"));
        }
        // A damaged image is kept as it is, a success that says why.
        EXPECT_EQ(ReadFile(out + "/g/broken.png"), ReadFile(site + "/g/broken.png"));
        EXPECT_THAT(outcome.out, HasSubstr("100.00%; kept: damaged PNG ("));
        EXPECT_THAT(outcome.err, HasSubstr(site + "/g/broken.png: kept: damaged PNG ("));
        EXPECT_THAT(outcome.out, HasSubstr("  failed: esbuild failed: syntax error at line 1, column 10: "));
        const std::string unwritable = "Cannot create file \"" + out + "/i.txt\". Is a directory";
        EXPECT_THAT(outcome.err, HasSubstr(site + "/i.txt: " + unwritable + "\n"));
        if (locked) {
            EXPECT_THAT(outcome.out, HasSubstr("failed: Cannot open file \"" + site + "/d/locked.css\""));
        }
        // The table keeps each reason to one line of 80 characters; the report and the JSON have it whole.
        std::istringstream lines(outcome.out);
        for (std::string line; std::getline(lines, line);) {
            const std::size_t failed = line.find("failed: ");
            if (failed != std::string::npos) {
                EXPECT_LE(line.size() - failed, 80u) << line;
            }
            if (line.find(site + "/i.txt") == 0) {
                EXPECT_THAT(line, Not(HasSubstr("copied"))) << line;
            }
        }
        EXPECT_THAT(ReadFile(out + ".html"), HasSubstr(std::regex_replace(unwritable, std::regex("\""), "&quot;")));
        EXPECT_THAT(json, HasSubstr("\"kind\": \"gif\", \"level\": null, \"original\": null, \"optimized\": null, "
                                    "\"ratio\": null, \"status\": \"failed\", \"error\": \""));
        EXPECT_THAT(json, HasSubstr(JsonString(unwritable) + ", \"fallback\": null,"));
        EXPECT_THAT(json, HasSubstr("\"status\": \"kept\", \"error\": null, \"fallback\": null, \"kept\": \"damaged PNG ("));
        EXPECT_THAT(json, HasSubstr("\"failed\": " + std::string(locked ? "4" : "3")));
    }
}
