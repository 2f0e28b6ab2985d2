// Every optimizer on several threads at once, each thread with its own run
// environment: the results and the command lines each thread sees are those
// of a run on its own.

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <thread>
#include <vector>

#include "compressors/Compressors.h"
#include "tests/tools/ToolTestSupport.h"

using namespace tooltest;

namespace {

constexpr int kThreads = 4;
constexpr int kRounds = 2;

std::string Site(const std::string& path)
{
    return std::string(QWO_SOURCE_DIR) + "/examples/site/" + path;
}

// One run of every optimizer into `folder`/out/, with `folder`/plugins/ as the
// plug-in folder (a script plug-in is there, so script elements go to it) and a
// fake executor that records the command lines and writes each tool's result.
class ThreadRun {
public:
    explicit ThreadRun(const std::string& folder) : folder_(folder)
    {
        WriteFile(folder + "plugins/ESC.wsf", "");
        std::filesystem::create_directories(folder + "out");
        environment_.pluginDir = folder + "plugins/";
        environment_.executor = [this](const std::string& line) {
            lines.push_back(WithoutUniqueParts(line));
            WriteFile(DestinationArgument(line), "tool output");
        };
    }

    void Run()
    {
        const std::string out = folder_ + "out/";
        FileSize original = 0, optimized = 0;
        CompressCSS(Site("css/style.css"), out + "style.css", 2, original, optimized, environment_);
        CompressCSS(Site("css/layout.css"), out + "layout.css", 1, original, optimized, environment_);
        CompressHTML(Site("index.html"), out + "index.html", 2, 3, 2, original, optimized, environment_);
        CompressHTML(Site("docs/guide.htm"), out + "guide.htm", 1, 0, 0, original, optimized, environment_);
        CompressGIF(Site("images/banner.gif"), out + "banner.gif", 1, original, optimized, environment_);
        CompressGIF(Site("images/spinner.gif"), out + "spinner.gif", 2, original, optimized, environment_);
        CompressJPEG(Site("images/photo.jpg"), out + "photo.jpg", 4, original, optimized, environment_);
        CompressPNG(Site("images/logo.png"), out + "logo.png", 2, original, optimized, environment_);
        CompressJS(Site("js/app.js"), out + "app.js", 3, original, optimized, environment_);
        PlainCopy(Site("robots.txt"), out + "robots.txt", original, optimized, environment_);
    }

    // The command lines with this run's folder written as `folder`.
    std::vector<std::string> LinesAsIn(const std::string& folder) const
    {
        std::vector<std::string> result;
        for (std::string line : lines) {
            for (std::size_t at; (at = line.find(folder_)) != std::string::npos;)
                line.replace(at, folder_.size(), folder);
            result.push_back(line);
        }
        return result;
    }

    std::vector<std::string> lines;

private:
    std::string folder_;
    TRunEnvironment environment_;
};

}  // namespace

TEST(Threads, OptimizersRunSideBySide)
{
    TempDir dir;
    const std::vector<std::string> sources{
        "css/style.css",      "css/layout.css",   "index.html",      "docs/guide.htm", "images/banner.gif",
        "images/spinner.gif", "images/photo.jpg", "images/logo.png", "js/app.js",      "robots.txt"};
    std::vector<std::string> before;
    for (const auto& source : sources) before.push_back(ReadFile(Site(source)));
    ThreadRun alone(dir.Folder() + "alone/");
    alone.Run();
    ASSERT_FALSE(alone.lines.empty());

    std::vector<std::unique_ptr<ThreadRun>> runs;
    for (int t = 0; t < kThreads; ++t)
        runs.push_back(std::make_unique<ThreadRun>(dir / ("t" + std::to_string(t) + "/")));
    std::vector<std::string> faults(kThreads);
    {
        std::vector<std::jthread> threads;
        for (int t = 0; t < kThreads; ++t)
            threads.emplace_back([&, t] {
                try {
                    for (int round = 0; round < kRounds; ++round) runs[t]->Run();
                } catch (const std::exception& error) {
                    faults[t] = error.what();
                }
            });
    }

    std::vector<std::string> expectedLines;
    for (int round = 0; round < kRounds; ++round)
        expectedLines.insert(expectedLines.end(), alone.lines.begin(), alone.lines.end());
    for (int t = 0; t < kThreads; ++t) {
        const std::string folder = dir / ("t" + std::to_string(t) + "/");
        EXPECT_EQ(faults[t], "") << t;
        EXPECT_EQ(runs[t]->LinesAsIn(dir.Folder() + "alone/"), expectedLines) << t;
        for (const auto& entry : std::filesystem::directory_iterator(folder + "out")) {
            const std::string name = entry.path().filename();
            EXPECT_NE(name.rfind(".qwo-", 0), 0u) << t << " left " << name;
            EXPECT_NE(name.rfind("_temporary", 0), 0u) << t << " left " << name;
        }
        for (const auto& entry : std::filesystem::directory_iterator(dir / "alone/out")) {
            const std::string name = entry.path().filename();
            EXPECT_EQ(ReadFile(folder + "out/" + name), ReadFile(entry.path())) << t << " " << name;
        }
    }
    for (std::size_t i = 0; i < sources.size(); ++i) EXPECT_EQ(ReadFile(Site(sources[i])), before[i]) << sources[i];
}
