#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/core/PathShortening.h"

namespace {

int OnePixelPerByte(const std::string& text)
{
    return static_cast<int>(text.size());
}

// Every step the shortening passes through on the way down to the file name.
std::vector<std::string> Steps(const std::string& path)
{
    std::vector<std::string> steps;
    std::string last = path;
    for (int width = static_cast<int>(path.size()) - 1; width >= 0; --width) {
        const std::string shortened = ShortenPath(path, width, OnePixelPerByte);
        if (shortened != last) steps.push_back(last = shortened);
    }
    return steps;
}

}  // namespace

TEST(PathShortening, NarrowsOneFolderAtATimeDownToTheFileName)
{
    EXPECT_EQ(Steps("/Work/Site/img/logo.png"),
              (std::vector<std::string>{"/.../Site/img/logo.png", "/.../img/logo.png", "/.../logo.png", ".../logo.png",
                                        "logo.png"}));
}

TEST(PathShortening, FittingPathStaysWhole)
{
    const std::string path = "/Work/Site/img/logo.png";
    EXPECT_EQ(ShortenPath(path, static_cast<int>(path.size()), OnePixelPerByte), path);
    EXPECT_EQ(ShortenPath(path, 1000, OnePixelPerByte), path);
}

TEST(PathShortening, StopsAtTheFileNameEvenWhenTooWide)
{
    EXPECT_EQ(ShortenPath("/a/b/very-long-file-name.css", 3, OnePixelPerByte), "very-long-file-name.css");
    EXPECT_EQ(ShortenPath("plain.css", 0, OnePixelPerByte), "plain.css");
    EXPECT_EQ(ShortenPath("", 0, OnePixelPerByte), "");
}

TEST(PathShortening, RelativeAndRootPaths)
{
    EXPECT_EQ(Steps("site/css/a.css"), (std::vector<std::string>{".../css/a.css", ".../a.css", "a.css"}));
    EXPECT_EQ(Steps("/a.css"), (std::vector<std::string>{"a.css"}));
}

TEST(PathShortening, FolderNamesStartingWithADotAreNotMistakenForTheMarker)
{
    EXPECT_EQ(Steps("/.cfg/site/x.js"), (std::vector<std::string>{"/.../site/x.js", "/.../x.js", ".../x.js", "x.js"}));
}

TEST(PathShortening, MeasuresWithTheGivenFunction)
{
    // Wide capitals: only the measured width decides.
    auto wideCapitals = [](const std::string& text) {
        int width = 0;
        for (char c : text) width += (c >= 'A' && c <= 'Z') ? 10 : 1;
        return width;
    };
    EXPECT_EQ(ShortenPath("/AAAA/b/c.css", 20, wideCapitals), "/.../b/c.css");
}
