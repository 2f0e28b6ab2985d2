// The linear scanner against the plain oracle: hand-written pages, seeded
// random pages over the significant characters, and pages built to defeat
// look-ahead caching.

#include "HtmlTestSupport.h"


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
    "<",        ">",        "\"",     "=",          " ",         "\t",         "\r",          "\n",
    "!",        "-",        "/",      "a",          "B",         "7",          "12",          "<!--",
    "-->",      "<pre",     "<PRE",   "</pre>",     "</PRE>",    "pre",        "<style",      "</style>",
    "<STYLE",   "</STYLE>", "STYLE>", "<script",    "</script>", "<SCRIPT>",   "</SCRIPT>",   "SCRIPT",
    "</td>",    "</th>",    "</TD>",  "td",         "<td>",      "\xe9",       "\xc4",        "\xa0",
    "  ",       "\"12\"",   "\"\"",   "{",          "}",         ";",          ":",           ",",
    "*",        "/*",       "*/",     "x",          "P",         "<A",         "<a ",         "a{color:red}",
    " = ",      "<!-->",    "\x00",   "!=",         "=  ",       "<textarea>", "</TextArea>", "<Script>",
    "</scRIPT", "<pre>",    "/>",     "<TEXTAREA ", "'",        "='",          "= \"1\" ",  "<p ",
    "<!DOCTYPE ", "<?x ",   "</p ",   "<title>",    "<xmp>",     "</XMP>",     "<span class=\"w\">",
    "</span>",  "<b style=white-space:pre>", "<style>.w{white-space:pre}</style>", "<br>", "<plaintext>",
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

const std::vector<std::string> kKeptNames = {"script", "style", "textarea", "pre"};
const std::vector<std::string> kKeptAttributes = {"",  " ",     " a=\"x>y\"", " src = \"1\"", "\t", " <!-- > -->",
                                                  "/", " b=2 ", " <p>",       " </td>"};

// Elements whose content is kept: names in mixed case, opening tags with ">",
// "=", comments and other tags in them, content from the pieces above, closed
// in any case, closed by a longer name, or not at all.
std::string KeptElement(std::mt19937& random)
{
    std::uniform_int_distribution<int> coin(0, 3);
    std::uniform_int_distribution<std::size_t> pickName(0, kKeptNames.size() - 1);
    std::uniform_int_distribution<std::size_t> pickAttributes(0, kKeptAttributes.size() - 1);
    const std::string& name = kKeptNames[pickName(random)];
    auto spelled = [&] {
        std::string text = name;
        if (coin(random) == 0)
            for (char& c : text)
                if (coin(random) < 2) c = static_cast<char>(c - 'a' + 'A');
        return text;
    };
    std::string element = "<" + spelled() + kKeptAttributes[pickAttributes(random)] + ">";
    element += RandomPage(random, 10);
    switch (coin(random)) {
    case 0: break;
    case 1: element += "</" + spelled() + "x>"; break;
    default: element += "</" + spelled() + ">";
    }
    return element;
}

// Kept elements amid random pieces.
std::string RandomPageWithKeptElements(std::mt19937& random)
{
    std::uniform_int_distribution<int> parts(1, 6);
    std::string page;
    for (int i = parts(random); i > 0; --i) page += RandomPage(random, 6) + KeptElement(random);
    return page + RandomPage(random, 6);
}

}  // namespace

TEST(HtmlOracle, SamplePagesAtEveryLevel)
{
    const auto pages = SamplePages();
    ASSERT_GE(pages.size(), 3u);
    for (const auto& path : pages) {
        const std::string page = ReadFile(path);
        SCOPED_TRACE(path.string());
        const std::string level1 = Minify(page, PageLevels(1, 0, 0));
        EXPECT_LT(level1.size(), page.size());
        for (Level css = 0; css <= 2; ++css) Minify(page, PageLevels(2, 0, css));
    }
}

TEST(HtmlOracle, SamplePagesWithTheScriptToolAtJsLevel0)
{
    TempDir out;
    for (const auto& path : SamplePages()) {
        SCOPED_TRACE(path.string());
        Minify(ReadFile(path), PageLevels(2, 0, 1), out.Folder(), RealPlugins());
    }
    EXPECT_FALSE(FileExists(out / "_temporary.t3mp"));
    EXPECT_FALSE(FileExists(out / "_temporary.7emp"));
}

TEST(HtmlOracle, RandomPages)
{
    std::mt19937 random(20261207);
    for (int round = 0; round < 6000; ++round) {
        const std::string page = RandomPage(random, round < 3000 ? 12 : 60);
        const HtmlLevels levels = PageLevels(static_cast<Level>(1 + round % 2), 0, static_cast<Level>(round % 3));
        std::string working = page;
        const std::string fast = MinifyHTML(working, levels, "", NoPlugins());
        const std::string slow = OracleMinifyHTML(page, levels, "", NoPlugins());
        ASSERT_EQ(fast, slow) << "round " << round << " level " << int(levels.html) << " page: " << page;
    }
}

TEST(HtmlOracle, RandomPagesWithKeptElements)
{
    std::mt19937 random(20261208);
    for (int round = 0; round < 6000; ++round) {
        const std::string page = RandomPageWithKeptElements(random);
        const HtmlLevels levels = PageLevels(static_cast<Level>(1 + round % 2), 0, static_cast<Level>(round % 3));
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
        // Raw-text tags: names read only as far as they can match, closers
        // searched once per element.
        repeat("<script", 800) + "> ",
        repeat("<TEXTAREA <b>", 400) + " ",
        repeat("<Style>a = b</STYLE", 400),
        repeat("<script>a</scrip", 400) + "\n",
        "<textarea>" + repeat("</", 800),
    };
    for (const auto& page : pages)
        for (Level html = 1; html <= 2; ++html)
            for (Level css = 0; css <= 2; ++css) Minify(page, PageLevels(html, 0, css));
}
