// The per-file optimizer: files, sizes, levels and the source guard.

#include "HtmlTestSupport.h"

#include <filesystem>
#include <utility>
#include <vector>

#include "compressors/Compressors.h"

TEST(CompressHTML, Level0CopiesBytes)
{
    TempDir dir;
    const std::string page = "<P>  a  </P>\r\n<!-- c -->";
    WriteFile(dir / "in.html", page);
    FileSize original = -5;
    FileSize optimized = -5;
    CompressHTML(dir / "in.html", dir / "out.html", 0, 3, 2, original, optimized);
    EXPECT_EQ(ReadFile(dir / "out.html"), page);
    EXPECT_EQ(original, static_cast<FileSize>(page.size()));
    EXPECT_EQ(optimized, static_cast<FileSize>(page.size()));
}

TEST(CompressHTML, Level1WritesTheMinifiedPageAndItsSize)
{
    TempDir dir;
    const std::string page = "<HTML>\r\n  <BODY>\r\n    <P CLASS = \"x\">Hi  <!-- c --></P>\r\n</BODY></HTML>";
    WriteFile(dir / "in.html", page);
    WriteFile(dir / "out.html", std::string(500, 'z'));  // replaced whole
    FileSize original = 0;
    FileSize optimized = 0;
    CompressHTML(dir / "in.html", dir / "out.html", 1, 0, 0, original, optimized);
    const std::string expected = "<html>\r<body>\r<p CLASS=\"x\">Hi </P>\r</BODY></HTML>";
    EXPECT_EQ(ReadFile(dir / "out.html"), expected);
    EXPECT_EQ(original, static_cast<FileSize>(page.size()));
    EXPECT_EQ(optimized, static_cast<FileSize>(expected.size()));
}

TEST(CompressHTML, EmptyPageGivesEmptyFile)
{
    TempDir dir;
    WriteFile(dir / "in.htm", "");
    FileSize original = -1;
    FileSize optimized = -1;
    CompressHTML(dir / "in.htm", dir / "out.htm", 2, 0, 2, original, optimized);
    EXPECT_TRUE(std::filesystem::exists(dir / "out.htm"));
    EXPECT_EQ(ReadFile(dir / "out.htm"), "");
    EXPECT_EQ(original, 0);
    EXPECT_EQ(optimized, 0);
}

TEST(CompressHTML, NeverWritesOverItsSource)
{
    TempDir dir;
    const std::string page = "<P>  keep me  </P>";
    const std::string path = dir / "page.html";
    WriteFile(path, page);
    FileSize original = 0;
    FileSize optimized = 0;
    for (Level level = 0; level <= 2; ++level) {
        try {
            CompressHTML(path, dir / "./page.html", level, 0, 0, original, optimized);
            ADD_FAILURE() << "no error at level " << int(level);
        } catch (const std::runtime_error& error) {
            EXPECT_EQ(std::string(error.what()),
                      "Cannot create file \"" + dir / "./page.html\". The destination is the source file.");
        }
        EXPECT_EQ(ReadFile(path), page);
    }
}

TEST(CompressHTML, MissingSourceAndUncreatableDestinationThrow)
{
    TempDir dir;
    FileSize original = 0;
    FileSize optimized = 0;
    try {
        CompressHTML(dir / "none.html", dir / "out.html", 1, 0, 0, original, optimized);
        ADD_FAILURE() << "no error";
    } catch (const std::runtime_error& error) {
        EXPECT_EQ(std::string(error.what()).rfind("Cannot open file \"" + dir / "none.html\". ", 0), 0u);
    }
    EXPECT_THROW(CompressHTML(dir.Folder(), dir / "out.html", 1, 0, 0, original, optimized),
                 std::runtime_error);  // a folder is no page
    WriteFile(dir / "in.html", "<p>");
    EXPECT_THROW(CompressHTML(dir / "in.html", dir / "no/such/out.html", 1, 0, 0, original, optimized),
                 std::runtime_error);
}

TEST(CompressHTML, Level2PageWithScriptsAndStyles)
{
    TempDir src;
    TempDir out;
    const std::string page =
        "<html><head>\n<style>\n  h1 { color: red }\n</style>\n"
        "<script>\n  // counter\n  var count = 0;\n  function add(step) { count = count + step; }\n</script>\n"
        "</head><body><h1>T</h1><script>add(1);</script></body></html>";
    WriteFile(src / "p.html", page);
    FileSize original = 0;
    FileSize optimized = 0;
    CompressHTML(src / "p.html", out / "p.html", 2, 3, 2, original, optimized, RealPlugins());
    const std::string result = ReadFile(out / "p.html");
    EXPECT_EQ(optimized, static_cast<FileSize>(result.size()));
    EXPECT_LT(optimized, original);
    EXPECT_NE(result.find("<style type=\"text/css\">h1{color:red }</style>"), std::string::npos) << result;
    EXPECT_EQ(result.find("// counter"), std::string::npos) << result;
    EXPECT_NE(result.find("<script>add(1)"), std::string::npos) << result;
    EXPECT_FALSE(FileExists(out / "_temporary.t3mp"));
    EXPECT_FALSE(FileExists(out / "_temporary.7emp"));
    EXPECT_FALSE(FileExists(src / "_temporary.t3mp"));
}

TEST(CompressHTML, LinkedStyleSheetsBesideThePageAreRead)
{
    TempDir dir;
    std::filesystem::create_directory(dir / "css");
    WriteFile(dir / "css/code.css", "div.line { white-space: pre-wrap }");
    const std::string body = "<div class=\"line\">    x</div><p>a    b</p>";
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"<link rel=\"stylesheet\" href=\"css/code.css?v=2\">", "<div class=\"line\">    x</div><p>a b</p>"},
        {"<LINK REL=\"alternate Stylesheet\" HREF=css/code.css>", "<div class=\"line\">    x</div><p>a b</p>"},
        // Not read: missing, on another site, from the site's root, not a style sheet.
        {"<link rel=stylesheet href=css/none.css>", "<div class=\"line\"> x</div><p>a b</p>"},
        {"<link rel=stylesheet href=\"http://example.com/css/code.css\">", "<div class=\"line\"> x</div><p>a b</p>"},
        {"<link rel=stylesheet href=\"/css/code.css\">", "<div class=\"line\"> x</div><p>a b</p>"},
        {"<link rel=icon href=css/code.css>", "<div class=\"line\"> x</div><p>a b</p>"},
    };
    for (const auto& [head, expected] : cases) {
        WriteFile(dir / "page.html", head + body);
        FileSize original = 0;
        FileSize optimized = 0;
        CompressHTML(dir / "page.html", dir / "out.html", 1, 0, 0, original, optimized);
        const std::string result = ReadFile(dir / "out.html");
        EXPECT_EQ(result.substr(result.find("<div")), expected) << head;
    }
}
