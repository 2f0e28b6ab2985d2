// The linear scanner against the plain oracle: hand-written pages, seeded
// random pages over the significant characters, and pages built to defeat
// look-ahead caching.

#include "HtmlTestSupport.h"

#include "compressors/text/TextHelpers.h"

#include <filesystem>
#include <random>
#include <vector>

namespace {

// Our own sample pages and the sample site's.
std::vector<std::filesystem::path> SamplePages()
{
    std::vector<std::filesystem::path> pages;
    for (const char* folder : {"/tests/html/data", "/examples/site"}) {
        const std::filesystem::path root = std::string(QWO_SOURCE_DIR) + folder;
        if (!std::filesystem::is_directory(root)) continue;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(root))
            if (entry.path().extension() == ".html" || entry.path().extension() == ".htm")
                pages.push_back(entry.path());
    }
    return pages;
}

// Pieces that steer the scanner into every handler and every cache.
const std::vector<std::string> kPieces = {
    "<",      ">",        "\"",     "=",       " ",         "\t",       "\r",        "\n",
    "!",      "-",        "/",      "a",       "B",         "7",        "12",        "<!--",
    "-->",    "<pre",     "<PRE",   "</pre>",  "</PRE>",    "pre",      "<style",    "</style>",
    "<STYLE", "</STYLE>", "STYLE>", "<script", "</script>", "<SCRIPT>", "</SCRIPT>", "SCRIPT",
    "</td>",  "</th>",    "</TD>",  "td",      "<td>",      "\xe9",     "\xc4",      "\xa0",
    "  ",     "\"12\"",   "\"\"",   "{",       "}",         ";",        ":",         ",",
    "*",      "/*",       "*/",     "x",       "P",         "<A",       "<a ",       "a{color:red}",
    " = ",    "<!-->",    "\x00",
};

std::string RandomPage(std::mt19937& random, std::size_t maxPieces)
{
    std::uniform_int_distribution<std::size_t> count(0, maxPieces);
    std::uniform_int_distribution<std::size_t> pick(0, kPieces.size() - 1);
    std::string page;
    for (std::size_t i = count(random); i > 0; --i) {
        const std::string& piece = kPieces[pick(random)];
        page += piece.empty() ? std::string(1, '\0') : piece;
    }
    return page;
}

}  // namespace

TEST(HtmlOracle, SamplePagesAtEveryLevel)
{
    const auto pages = SamplePages();
    ASSERT_GE(pages.size(), 3u);
    for (const auto& path : pages) {
        const std::string page = ReadFile(path);
        SCOPED_TRACE(path.string());
        const std::string level1 = Minify(page, HtmlLevels{1, 0, 0});
        EXPECT_LT(level1.size(), page.size());
        for (Level css = 0; css <= 2; ++css) Minify(page, HtmlLevels{2, 0, css});
    }
}

TEST(HtmlOracle, SamplePagesWithTheScriptToolAtJsLevel0)
{
    TempDir out;
    for (const auto& path : SamplePages()) {
        SCOPED_TRACE(path.string());
        Minify(ReadFile(path), HtmlLevels{2, 0, 1}, out.Folder(), RealPlugins());
    }
    EXPECT_FALSE(FileExists(out / "_temporary.t3mp"));
    EXPECT_FALSE(FileExists(out / "_temporary.7emp"));
}

TEST(HtmlOracle, RandomPages)
{
    std::mt19937 random(20261207);
    for (int round = 0; round < 6000; ++round) {
        const std::string page = RandomPage(random, round < 3000 ? 12 : 60);
        const HtmlLevels levels{static_cast<Level>(1 + round % 2), 0, static_cast<Level>(round % 3)};
        std::string working = page;
        const std::string fast = MinifyHTML(working, levels, "", NoPlugins());
        const std::string slow = OracleMinifyHTML(page, levels, "", NoPlugins());
        ASSERT_EQ(fast, slow) << "round " << round << " level " << int(levels.html) << " page: " << page;
    }
}

TEST(HtmlOracle, PagesThatDefeatNaiveLookAhead)
{
    auto repeat = [](const std::string& piece, int times) {
        std::string text;
        for (int i = 0; i < times; ++i) text += piece;
        return text;
    };
    const std::vector<std::string> pages = {
        repeat("<a><b>", 800),                   // no blank anywhere
        repeat("<style", 800) + ">x",            // no "</style>" at all
        repeat("<style>a{}", 400) + "</style>",  // one closer for all
        repeat("<script>", 400),
        repeat("<!--c--><!--", 400) + "-->",
        repeat("</", 800) + ">",
        repeat("<A", 800) + "> ",  // one long lowercase range
        // Lowercasing creates closers behind the searches that already ran.
        repeat("<style>x<B</STYLE> ", 200) + "<style>y</STYLE>",
        repeat("<style><I</SCRIPT><script>", 200) + " </script>",
        repeat("\"1\"\"", 400),
        repeat("<pre>a</PRE>", 300) + "<pre",
        repeat(" \r\n", 800),
    };
    for (const auto& page : pages)
        for (Level html = 1; html <= 2; ++html)
            for (Level css = 0; css <= 2; ++css) Minify(page, HtmlLevels{html, 0, css});
}

TEST(HtmlOracle, JoiningEqualsSignsMatchesTwoReplaceAllPasses)
{
    std::mt19937 random(7);
    std::uniform_int_distribution<int> length(0, 12);
    std::uniform_int_distribution<int> pick(0, 3);
    for (int round = 0; round < 20000; ++round) {
        std::string text;
        for (int i = length(random); i > 0; --i) text += " = a"[pick(random)];
        std::string joined = text;
        JoinEqualsSigns(joined);
        ASSERT_EQ(joined, ReplaceAll(ReplaceAll(text, " =", "="), "= ", "=")) << "[" << text << "]";
    }
}
