// A kind added as one row of the optimizer table reaches the command line:
// its level option, the folder walk, the run, the JSON kind and the manifest.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "app/cli/CommandLine.h"
#include "tests/support/ToyKind.h"

using ::testing::HasSubstr;

TEST(ToyKind, RunsThroughTheCommandLineFromItsRowAlone)
{
    const TOptimizerRegistration toy(ToyKindRow());
    TempDir dir;
    WriteFile(dir / "site/notes/a.txt", "Hello, world");
    WriteFile(dir / "site/b.css", "a { color : red }");
    struct Case {
        std::vector<std::string> levels;
        int status;
        std::string written;  // a.txt as the run wrote it
        std::string json;     // in the JSON results
    };
    const std::vector<Case> cases{
        {{}, 0, "HELLO, WORLD", "\"kind\": \"txt\", \"level\": 1"},
        {{"--txt", "0"}, 0, "Hello, world", "\"kind\": \"txt\", \"level\": 0"},
        {{"--txt", "2"}, 2, "", ""},
    };
    for (const Case& test : cases) {
        const std::string out = dir / ("out" + std::to_string(&test - cases.data()));
        std::vector<std::string> arguments = test.levels;
        for (const std::string& argument :
             {std::string("--json"), out + ".json", std::string("--incremental"), std::string("-o"), out,
              dir / "site"})
            arguments.push_back(argument);
        std::ostringstream printed, errors;
        ASSERT_EQ(RunCommandLine(arguments, printed, errors), test.status) << errors.str();
        if (test.status != 0) {
            EXPECT_THAT(errors.str(), HasSubstr("--txt: invalid level \"2\" (allowed: 0, 1)"));
            continue;
        }
        EXPECT_EQ(ReadFile(out + "/notes/a.txt"), test.written);
        EXPECT_LT(ReadFile(out + "/b.css").size(), 17u);  // the other rows run as ever
        EXPECT_THAT(ReadFile(out + ".json"), HasSubstr(test.json));
        EXPECT_THAT(ReadFile(out + "/.quorvan-manifest.json"), HasSubstr("\"txt=" + test.json.substr(test.json.size() - 1)));
    }
}
