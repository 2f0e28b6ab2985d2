// quorvan-optimize in a pipeline: standard input and output, the -q line, the
// JSON's run members, shards of one site and their merged results.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <regex>
#include <set>

#include "TestSupport.h"
#include "app/cli/JsonRead.h"
#include "app/cli/Shard.h"

using ::testing::HasSubstr;
using ::testing::MatchesRegex;
using ::testing::Not;

namespace fs = std::filesystem;

namespace {

// The program run in `dir` (its working folder) with TMPDIR=dir/tmp and
// standard input from `input` (else /dev/null).
Outcome RunIn(const TempDir& dir, const std::vector<std::string>& arguments, const std::string& input = "/dev/null")
{
    fs::create_directories(dir / "tmp");
    std::string command = "cd " + Quoted(dir.Path()) + " && TMPDIR=" + Quoted(dir / "tmp") + " " +
                          Quoted(std::string(QWO_BIN_DIR) + "/quorvan-optimize");
    for (const auto& argument : arguments) command += " " + Quoted(argument);
    command += " >" + Quoted(dir / "stdout") + " 2>" + Quoted(dir / "stderr") + " <" + Quoted(input);
    const int raw = std::system(command.c_str());
    return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, ReadFile(dir / "stdout"), ReadFile(dir / "stderr")};
}

// The temporary folders of standard input runs left in `folder`.
int StdinFolders(const std::string& folder)
{
    int count = 0;
    for (const auto& entry : fs::directory_iterator(folder))
        count += entry.path().filename().string().rfind("quorvan-stdin-", 0) == 0;
    return count;
}

nlohmann::json JsonFile(const std::string& path)
{
    return ParseJson(ReadFile(path));
}

}  // namespace

TEST(Pipeline, StandardInputToStandardOutputAsAFileRunWrites)
{
    struct Case {
        std::string name;    // --stdin-name
        std::string sample;  // examples/site/...
        std::vector<std::string> levels;
    };
    const std::vector<Case> cases{
        {"style.css", "css/style.css", {}},
        {"deep/in/a folder/page.html", "index.html", {"--html", "2"}},  // scripts through the plug-in
        {"app.js", "js/app.js", {}},                                    // a plug-in kind
        {"logo.png", "images/logo.png", {}},
        {"spinner.gif", "images/spinner.gif", {"--gif", "2"}},
        {"notes.CSS", "css/style.css", {}},  // no optimizer: copied
    };
    for (const Case& c : cases) {
        TempDir dir;
        const std::string base = fs::path(c.name).filename();
        const std::string source = dir / ("src/" + base), output = dir / ("out/" + base);
        WriteFile(source, SampleFile(c.sample));
        std::vector<std::string> fileRun{"-o", dir / "out"};
        fileRun.insert(fileRun.end(), c.levels.begin(), c.levels.end());
        fileRun.push_back(source);
        ASSERT_EQ(RunIn(dir, fileRun).status, 0) << c.name;

        std::vector<std::string> streamRun{"--stdin-name", c.name};
        streamRun.insert(streamRun.end(), c.levels.begin(), c.levels.end());
        streamRun.push_back("-");
        const Outcome outcome = RunIn(dir, streamRun, source);
        EXPECT_EQ(outcome.status, 0) << c.name << outcome.err;
        EXPECT_EQ(outcome.out, ReadFile(output)) << c.name;
        EXPECT_LE(outcome.out.size(), SampleFile(c.sample).size()) << c.name;
        EXPECT_THAT(outcome.err, HasSubstr(c.name + "  ")) << c.name;  // the row, named as given
        EXPECT_THAT(outcome.err, Not(HasSubstr(dir / "tmp"))) << c.name;
        EXPECT_EQ(StdinFolders(dir / "tmp"), 0) << c.name;
    }
}

TEST(Pipeline, StandardInputThatFailsWritesNothing)
{
    TempDir dir;
    WriteFile(dir / "bad.gif", "GIF89a not really");
    for (const std::vector<std::string>& extra : {std::vector<std::string>{}, {"-k"}, {"-q"}}) {
        std::vector<std::string> arguments{"--stdin-name", "img/bad.gif"};
        arguments.insert(arguments.end(), extra.begin(), extra.end());
        arguments.push_back("-");
        const Outcome outcome = RunIn(dir, arguments, dir / "bad.gif");
        EXPECT_EQ(outcome.status, 1);
        EXPECT_EQ(outcome.out, "");
        EXPECT_THAT(outcome.err, HasSubstr("img/bad.gif: "));
        EXPECT_THAT(outcome.err, Not(HasSubstr(dir / "tmp")));
        EXPECT_EQ(StdinFolders(dir / "tmp"), 0);
    }
}

TEST(Pipeline, StreamShardAndMergeUsageErrors)
{
    TempDir dir;
    WriteFile(dir / "a.css", "a { }");
    const std::string a = dir / "a.css";
    struct Case {
        std::vector<std::string> arguments;
        std::string message;
    };
    const std::vector<Case> cases{
        {{"-o", "-", a}, "-o -: the output folder cannot be standard output"},
        {{"--output-dir=-", a}, "--output-dir -: the output folder cannot be standard output"},
        {{"-o", "out", "-"}, "\"-\" reads standard input: --stdin-name NAME"},
        {{"--stdin-name", "a.css"}, "--stdin-name: the only PATH must be \"-\""},
        {{"--stdin-name", "a.css", "-", a}, "--stdin-name: the only PATH must be \"-\""},
        {{"--stdin-name", "css/", "-"}, "--stdin-name: \"css/\" is not a file name"},
        {{"--stdin-name", "a.css", "-o", "out", "-"}, "--stdin-name does not go with -o"},
        {{"--stdin-name", "a.css", "--json", "r.json", "-"}, "--stdin-name does not go with --json"},
        {{"--shard", "0/4", "-o", "out", a}, "--shard: invalid value \"0/4\""},
        {{"--shard", "5/4", "-o", "out", a}, "--shard: invalid value \"5/4\""},
        {{"--shard", "1/", "-o", "out", a}, "--shard: invalid value \"1/\""},
        {{"--shard", "2", "-o", "out", a}, "--shard: invalid value \"2\""},
        {{"--merge-json", a}, "--merge-json: --json FILE names the merged file"},
        {{"--merge-json", "--json", "all.json"}, "--merge-json: no JSON file given"},
        {{"--merge-json", "-o", "out", "--json", "all.json", a}, "--merge-json does not go with -o"},
    };
    for (const Case& c : cases) {
        const Outcome outcome = RunIn(dir, c.arguments);
        EXPECT_EQ(outcome.status, 2) << c.message;
        EXPECT_THAT(outcome.err, HasSubstr("quorvan-optimize: " + c.message));
        EXPECT_EQ(outcome.out, "");
    }
    EXPECT_FALSE(fs::exists(dir / "-"));
    EXPECT_FALSE(fs::exists(dir / "out"));
}

TEST(Pipeline, QuietRunsEndWithOneLineAndTheJsonDescribesTheRun)
{
    TempDir dir;
    fs::copy(std::string(QWO_SOURCE_DIR) + "/examples/site", dir / "site", fs::copy_options::recursive);
    WriteFile(dir / "site/broken.gif", "GIF89a not really");
    struct Step {
        std::vector<std::string> extra;
        std::string line;  // the whole standard output
    };
    const std::string sizes = "[0-9.]+ (B|kB|MB) -> [0-9.]+ (B|kB|MB) \\([0-9]+\\.[0-9][0-9]%\\)";
    const std::vector<Step> steps{
        {{}, "15 files, " + sizes + ", 1 failed, [0-9]+\\.[0-9] s\n"},
        {{"--incremental"}, "15 files, " + sizes + ", 1 failed, [0-9]+\\.[0-9] s\n"},
        {{"--incremental"}, "15 files, " + sizes + ", 1 failed, 14 reused, [0-9]+\\.[0-9] s\n"},
    };
    for (const Step& step : steps) {
        std::vector<std::string> arguments{"-q", "-k", "--css", "1", "-o", dir / "out", "--json", dir / "r.json"};
        arguments.insert(arguments.end(), step.extra.begin(), step.extra.end());
        arguments.push_back(dir / "site");
        const Outcome outcome = RunIn(dir, arguments);
        EXPECT_EQ(outcome.status, 1) << outcome.err;
        EXPECT_THAT(outcome.out, MatchesRegex(step.line));
    }
    const nlohmann::json json = JsonFile(dir / "r.json");
    EXPECT_EQ(json["schema"], 1);
    EXPECT_EQ(json["program"], "quorvan-optimize");
    EXPECT_THAT(json["version"].get<std::string>(), MatchesRegex("[0-9]+\\.[0-9]+\\.[0-9]+"));
    EXPECT_EQ(json["levels"]["css"], 1);
    EXPECT_EQ(json["levels"]["gif"], 1);
    EXPECT_TRUE(json["shard"].is_null());
    EXPECT_GE(json["wall_seconds"].get<double>(), 0.0);
    EXPECT_GE(json["cpu_seconds"].get<double>(), 0.0);
    const nlohmann::json expected{{"ok", 0}, {"copied", 0}, {"kept", 0}, {"partial", 0}, {"reused", 14}, {"failed", 1}};
    EXPECT_EQ(json["statuses"], expected);
}

TEST(Pipeline, FourShardsWriteWhatOneRunWrites)
{
    TempDir dir;
    WriteGeneratedSite(dir / "site");
    const Outcome whole = RunIn(dir, {"-q", "-o", dir / "whole", "--json", dir / "whole.json", dir / "site"});
    ASSERT_EQ(whole.status, 0) << whole.err;
    std::vector<std::string> parts;
    for (int k = 1; k <= 4; ++k) {
        parts.push_back(dir / ("part" + std::to_string(k) + ".json"));
        const Outcome shard = RunIn(dir, {"-q", "--shard", std::to_string(k) + "/4", "-o", dir / "shards", "--json",
                                          parts.back(), dir / "site"});
        ASSERT_EQ(shard.status, 0) << shard.err;
    }
    EXPECT_EQ(std::system(("diff -r " + Quoted(dir / "whole") + " " + Quoted(dir / "shards")).c_str()), 0);

    // Each file in exactly one shard, every shard given some.
    std::multiset<std::string> sharded;
    for (const std::string& part : parts) {
        const nlohmann::json json = JsonFile(part);
        EXPECT_GT(json["files"].size(), 0u) << part;
        for (const auto& file : json["files"]) sharded.insert(file["source"].get<std::string>());
    }
    const nlohmann::json one = JsonFile(dir / "whole.json");
    std::multiset<std::string> all;
    for (const auto& file : one["files"]) all.insert(file["source"].get<std::string>());
    EXPECT_EQ(sharded, all);

    std::vector<std::string> merge{"--merge-json"};
    merge.insert(merge.end(), parts.begin(), parts.end());
    merge.insert(merge.end(), {"--json", dir / "merged.json"});
    const Outcome merged = RunIn(dir, merge);
    ASSERT_EQ(merged.status, 0) << merged.err;
    EXPECT_THAT(merged.out, MatchesRegex("300 files, .*\n"));
    const nlohmann::json joined = JsonFile(dir / "merged.json");
    for (const char* key : {"schema", "version", "levels", "totals", "statuses"})
        EXPECT_EQ(joined[key], one[key]) << key;
    EXPECT_EQ(joined["files"].size(), 300u);

    // One part merged alone is written as its run wrote it, but for the run's own members.
    ASSERT_EQ(RunIn(dir, {"--merge-json", parts[0], "--json", dir / "alone.json"}).status, 0);
    const std::regex runMembers("\"(shard|wall_seconds|cpu_seconds)\": [^,]+,");
    EXPECT_EQ(std::regex_replace(ReadFile(dir / "alone.json"), runMembers, ""),
              std::regex_replace(ReadFile(parts[0]), runMembers, ""));

    // Not results of this schema: refused, nothing written.
    WriteFile(dir / "other.json", "{\"files\": [], \"totals\": {}}");
    const Outcome refused = RunIn(dir, {"--merge-json", parts[0], dir / "other.json", "--json", dir / "no.json"});
    EXPECT_EQ(refused.status, 1);
    EXPECT_THAT(refused.err, HasSubstr(dir / "other.json" + ": not the JSON results of schema 1"));
    EXPECT_FALSE(fs::exists(dir / "no.json"));
}

// The shard of a path is the same on every machine: FNV-1a 64 of its bytes.
TEST(Pipeline, ShardHashIsFnv1a64)
{
    const std::vector<std::pair<std::string, std::uint64_t>> cases{
        {"", 0xcbf29ce484222325ULL}, {"a", 0xaf63dc4c8601ec8cULL}, {"foobar", 0x85944171f73967e8ULL}};
    for (const auto& [bytes, hash] : cases) EXPECT_EQ(Fnv1a64(bytes), hash) << bytes;
    const std::vector<TListEntry> entries{{"/x/site/css/a.css", "css/a.css"}, {"/elsewhere/a.css", ""}};
    for (const TListEntry& entry : entries) {
        const std::string placed = entry.relative.empty() ? "a.css" : entry.relative;
        const int shard = static_cast<int>(Fnv1a64(placed) % 3) + 1;
        EXPECT_EQ(ShardEntries({entry}, {shard, 3}).size(), 1u) << entry.source;
    }
}
