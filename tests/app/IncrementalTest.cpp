// Incremental runs, kept file times and dry runs through quorvan-optimize as
// built, over real sites with the real plug-ins.
#include <fcntl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <functional>
#include <map>
#include <regex>
#include <set>

#include "TestSupport.h"

using ::testing::HasSubstr;

namespace fs = std::filesystem;

namespace {

const std::string kManifest = ".quorvan-manifest.json";

// Every regular file below a folder but the manifest, by its path below it.
std::map<std::string, std::string> Outputs(const std::string& folder)
{
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(folder))
        if (entry.is_regular_file() && entry.path().filename() != kManifest)
            files[entry.path().lexically_relative(folder).string()] = ReadFile(entry.path());
    return files;
}

// The JSON results' status by destination.
std::map<std::string, std::string> Statuses(const std::string& json, const std::string& out)
{
    std::map<std::string, std::string> statuses;
    const std::regex row("\"destination\": \"" + out + "/([^\"]+)\".*\"status\": \"([a-z]+)\"");
    std::smatch match;
    for (auto it = json.cbegin(); std::regex_search(it, json.cend(), match, row); it = match[0].second)
        statuses[match[1]] = match[2];
    return statuses;
}

std::string WithoutTimesAndStatus(std::string json)
{
    json = std::regex_replace(json, std::regex("seconds\": [0-9.]+"), "seconds\": S");
    json = json.substr(0, json.find("\"statuses\""));
    json = std::regex_replace(json, std::regex("\"reused\": [0-9]+"), "\"reused\": N");
    return std::regex_replace(json, std::regex("\"status\": \"(ok|copied|reused)\""), "\"status\": X");
}

struct timespec ModificationTime(const std::string& path)
{
    struct stat info {};
    EXPECT_EQ(::stat(path.c_str(), &info), 0) << path;
    return info.st_mtim;
}

void SetModificationTime(const std::string& path, struct timespec time)
{
    const struct timespec times[2] = {time, time};
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0) << path;
}

bool SameTime(struct timespec a, struct timespec b)
{
    return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

}  // namespace

TEST(Incremental, ASecondRunOptimizesOnlyWhatChanged)
{
    TempDir dir;
    const std::string site = dir / "site";
    const std::string out = dir / "out";
    WriteGeneratedSite(site);
    const auto run = [&](std::vector<std::string> options) {
        for (const std::string& argument : {std::string("--incremental"), std::string("-j"), std::string("2"),
                                            std::string("-o"), out, std::string("--json"), dir / "results.json", site})
            options.push_back(argument);
        return RunProgram(dir, options);
    };
    const Outcome first = run({});
    ASSERT_EQ(first.status, 0) << first.err;
    const std::string firstJson = ReadFile(dir / "results.json");
    const auto firstOutputs = Outputs(out);
    std::set<std::string> all, gifs;
    for (const auto& [name, status] : Statuses(firstJson, out)) {
        EXPECT_NE(status, "reused") << name;
        all.insert(name);
        if (name.ends_with(".gif")) gifs.insert(name);
    }
    ASSERT_EQ(all.size(), 300u);
    ASSERT_TRUE(fs::exists(out + "/" + kManifest));

    struct Step {
        std::string name;
        std::function<void()> change;
        std::vector<std::string> options;
        std::set<std::string> optimized;  // not reused
        bool sameAsFirst;                 // the table, JSON (less times and status) and outputs of the first run
        int status = 0;
    };
    const std::string touched = "part0/s0.css";
    const std::vector<Step> steps{
        {"unchanged", [] {}, {}, {}, true},
        {"a touched source (same bytes, new time)",
         [&] {
             SetModificationTime(site + "/" + touched, {1500000000, 5});
         },
         {},
         {touched},
         true},
        {"a deleted output", [&] { fs::remove(out + "/part2/t2.txt"); }, {}, {"part2/t2.txt"}, true},
        {"a changed output", [&] { WriteFile(out + "/part6/s6.css", "x"); }, {}, {"part6/s6.css"}, true},
        {"a damaged manifest",
         [&] { WriteFile(out + "/" + kManifest, "{\"format\": 1, \"files\": {"); },
         {},
         all,
         true},
        {"a manifest of the older format (other hashes)",
         [&] {
             const std::string format = "\"format\": 2";
             std::string text = ReadFile(out + "/" + kManifest);
             text.replace(text.find(format), format.size(), "\"format\": 1");
             WriteFile(out + "/" + kManifest, text);
         },
         {},
         all,
         true},
        {"other bytes, same size and time",
         [&] {
             const std::string page = site + "/part1/p1.html";
             const auto time = ModificationTime(page);
             WriteFile(page, "<html>\n  <p>PAGE   1</p>\n</html>\n");
             SetModificationTime(page, time);
         },
         {},
         {"part1/p1.html"},
         false},
        {"another level", [] {}, {"--gif", "2"}, gifs, false},
        {"a failing file, a touched one",
         [&] {
             WriteFile(site + "/part0/broken.gif", SampleFile("images/banner.gif").substr(0, 40));
             SetModificationTime(site + "/" + touched, {1500000001, 5});
         },
         {"--gif", "2", "-k"},
         {"part0/broken.gif", touched},
         false,
         1},
        // Its unchanged copy is there, but never taken for a result.
        {"a failed file again", [] {}, {"--gif", "2", "-k"}, {"part0/broken.gif"}, false, 1},
        {"what the failing run recorded", [&] { fs::remove(site + "/part0/broken.gif"); }, {"--gif", "2"}, {}, false},
    };
    for (const Step& step : steps) {
        step.change();
        const Outcome outcome = run(step.options);
        ASSERT_EQ(outcome.status, step.status) << step.name << "\n" << outcome.err;
        const std::string json = ReadFile(dir / "results.json");
        std::set<std::string> optimized;
        const auto statuses = Statuses(json, out);
        for (const auto& [name, status] : statuses)
            if (status != "reused") optimized.insert(name);
        EXPECT_EQ(optimized, step.optimized) << step.name;
        EXPECT_THAT(json, HasSubstr("\"reused\": " + std::to_string(statuses.size() - optimized.size()) + ","));
        const bool damaged = step.name == "a damaged manifest";
        EXPECT_EQ(outcome.err.find("warning: ignoring the manifest") != std::string::npos, damaged) << step.name << "\n"
                                                                                                    << outcome.err;
        if (!step.sameAsFirst) continue;
        EXPECT_EQ(outcome.out, first.out) << step.name;
        EXPECT_EQ(WithoutTimesAndStatus(json), WithoutTimesAndStatus(firstJson)) << step.name;
        EXPECT_EQ(Outputs(out), firstOutputs) << step.name;
    }
}

TEST(Incremental, PreserveTimesGivesEveryDestinationItsSourceTime)
{
    struct Case {
        std::vector<std::string> options;
        int runs;
        bool kept;
    };
    const std::vector<Case> cases{
        {{"-p"}, 1, true},
        {{}, 1, false},
        {{"--preserve-times", "--incremental"}, 2, true},  // the second run reuses and restores the times
    };
    const std::vector<std::string> files{"a.css", "b.txt", "c.png", "d/e.html", "f.gif"};
    for (const Case& test : cases) {
        TempDir dir;
        const std::string site = dir / "site";
        WriteFile(site + "/a.css", "a  {  color : red }");
        WriteFile(site + "/b.txt", "plain");
        WriteFile(site + "/c.png", SampleFile("images/logo.png"));
        WriteFile(site + "/d/e.html", "<p>  a   page </p>");
        WriteFile(site + "/f.gif", SampleFile("images/bullet.gif"));
        for (std::size_t i = 0; i < files.size(); ++i)
            SetModificationTime(site + "/" + files[i], {1000000000 + static_cast<time_t>(i), 123456789});
        const std::string name = test.options.empty() ? "none" : test.options[0];
        for (int run = 0; run < test.runs; ++run) {
            for (const std::string& file : files)
                if (run > 0) SetModificationTime(dir / "out/" + file, {1600000000, 0});
            std::vector<std::string> arguments = test.options;
            for (const std::string& argument : {std::string("-o"), dir / "out", site}) arguments.push_back(argument);
            const Outcome outcome = RunProgram(dir, arguments);
            ASSERT_EQ(outcome.status, 0) << name << "\n" << outcome.err;
        }
        for (const std::string& file : files)
            EXPECT_EQ(SameTime(ModificationTime(dir / "out/" + file), ModificationTime(site + "/" + file)), test.kept)
                << name << ": " << file;
    }
}

TEST(Incremental, DryRunPrintsThePlanAndWritesNothing)
{
    // Names, bytes and modification times below a folder, "absent" when it is missing.
    const auto snapshot = [](const std::string& folder) {
        std::map<std::string, std::string> files;
        if (!fs::exists(folder)) return std::map<std::string, std::string>{{"", "absent"}};
        for (const auto& entry : fs::recursive_directory_iterator(folder)) {
            const auto time = ModificationTime(entry.path());
            files[entry.path().lexically_relative(folder).string()] =
                (entry.is_regular_file() ? ReadFile(entry.path()) : std::string("folder")) + "@" +
                std::to_string(time.tv_sec) + "." + std::to_string(time.tv_nsec);
        }
        return files;
    };
    struct Case {
        std::string name;
        bool runFirst;  // an incremental run before, then a.css changed
        std::vector<std::string> options;
        int status;
        std::vector<std::string> lines;  // the plan's lines, "SITE" and "OUT" standing for the folders
    };
    const std::vector<Case> cases{
        {"no output folder yet",
         false,
         {"--incremental"},
         0,
         {"SITE/a.css -> OUT/a.css: optimize", "SITE/b.txt -> OUT/b.txt: copy",
          "SITE/sub/a.css -> OUT/sub/a.css: optimize",
          "3 files: 2 to optimize, 1 to copy, 0 to reuse, 0 refused; nothing written (dry run)"}},
        {"after an incremental run",
         true,
         {"--incremental", "--json", "OUT/results.json", "--report", "OUT/report.html"},
         0,
         {"SITE/a.css -> OUT/a.css: optimize", "SITE/b.txt -> OUT/b.txt: reuse",
          "SITE/sub/a.css -> OUT/sub/a.css: reuse",
          "3 files: 1 to optimize, 0 to copy, 2 to reuse, 0 refused; nothing written (dry run)"}},
        {"clashing names",
         true,
         {"--flat"},
         2,
         {"SITE/a.css -> OUT/a.css: optimize", "SITE/sub/a.css -> OUT/a.css: optimize",
          "2 files: 2 to optimize, 0 to copy, 0 to reuse, 0 refused; nothing written (dry run)"}},
    };
    for (const Case& test : cases) {
        TempDir dir;
        const std::string site = dir / "site";
        const std::string out = dir / "out";
        WriteFile(site + "/a.css", "a  {  color : red }");
        WriteFile(site + "/b.txt", "plain");
        WriteFile(site + "/sub/a.css", "b  {  color : blue }");
        if (test.runFirst) {
            ASSERT_EQ(RunProgram(dir, {"--incremental", "-o", out, site}).status, 0) << test.name;
            WriteFile(site + "/a.css", "a  {  color : green }");
        }
        const auto before = snapshot(out);
        std::vector<std::string> arguments{"-n", "-o", out};
        for (const std::string& option : test.options)
            arguments.push_back(std::regex_replace(option, std::regex("OUT"), out));
        arguments.push_back(site);
        const Outcome outcome = RunProgram(dir, arguments);
        EXPECT_EQ(outcome.status, test.status) << test.name << "\n" << outcome.err;
        EXPECT_EQ(snapshot(out), before) << test.name;
        std::string expected;
        for (const std::string& line : test.lines)
            expected +=
                std::regex_replace(std::regex_replace(line, std::regex("SITE"), site), std::regex("OUT"), out) + "\n";
        EXPECT_EQ(outcome.out, expected) << test.name;
        if (test.status == 2) {
            EXPECT_THAT(outcome.err, HasSubstr("would receive more than one file")) << test.name;
        }
    }
}
