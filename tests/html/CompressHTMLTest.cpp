// The per-file optimizer: files, sizes, levels and the source guard.

#include "HtmlTestSupport.h"

#include <fstream>
#include <sstream>

#include "compressors/Compressors.h"

namespace {

void WriteFile(const std::string& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

}  // namespace

TEST(CompressHTML, Level0CopiesBytes)
{
    ScratchDir dir;
    const std::string page = "<P>  a  </P>\r\n<!-- c -->";
    WriteFile(dir.Path() + "in.html", page);
    FileSize original = -5;
    FileSize optimized = -5;
    CompressHTML(dir.Path() + "in.html", dir.Path() + "out.html", 0, 3, 2, original, optimized);
    EXPECT_EQ(ReadFile(dir.Path() + "out.html"), page);
    EXPECT_EQ(original, static_cast<FileSize>(page.size()));
    EXPECT_EQ(optimized, static_cast<FileSize>(page.size()));
}

TEST(CompressHTML, Level1WritesTheMinifiedPageAndItsSize)
{
    ScratchDir dir;
    const std::string page = "<HTML>\r\n  <BODY>\r\n    <P CLASS = \"x\">Hi  <!-- c --></P>\r\n</BODY></HTML>";
    WriteFile(dir.Path() + "in.html", page);
    WriteFile(dir.Path() + "out.html", std::string(500, 'z'));  // replaced whole
    FileSize original = 0;
    FileSize optimized = 0;
    CompressHTML(dir.Path() + "in.html", dir.Path() + "out.html", 1, 0, 0, original, optimized);
    const std::string expected = "<html>\r<body>\r<p CLASS=\"x\">Hi </P>\r</BODY></HTML>";
    EXPECT_EQ(ReadFile(dir.Path() + "out.html"), expected);
    EXPECT_EQ(original, static_cast<FileSize>(page.size()));
    EXPECT_EQ(optimized, static_cast<FileSize>(expected.size()));
}

TEST(CompressHTML, EmptyPageGivesEmptyFile)
{
    ScratchDir dir;
    WriteFile(dir.Path() + "in.htm", "");
    FileSize original = -1;
    FileSize optimized = -1;
    CompressHTML(dir.Path() + "in.htm", dir.Path() + "out.htm", 2, 0, 2, original, optimized);
    EXPECT_TRUE(std::filesystem::exists(dir.Path() + "out.htm"));
    EXPECT_EQ(ReadFile(dir.Path() + "out.htm"), "");
    EXPECT_EQ(original, 0);
    EXPECT_EQ(optimized, 0);
}

TEST(CompressHTML, NeverWritesOverItsSource)
{
    ScratchDir dir;
    const std::string page = "<P>  keep me  </P>";
    const std::string path = dir.Path() + "page.html";
    WriteFile(path, page);
    FileSize original = 0;
    FileSize optimized = 0;
    for (Level level = 0; level <= 2; ++level) {
        try {
            CompressHTML(path, dir.Path() + "./page.html", level, 0, 0, original, optimized);
            ADD_FAILURE() << "no error at level " << int(level);
        } catch (const std::runtime_error& error) {
            EXPECT_EQ(std::string(error.what()),
                      "Cannot create file \"" + dir.Path() + "./page.html\". The destination is the source file.");
        }
        EXPECT_EQ(ReadFile(path), page);
    }
}

TEST(CompressHTML, MissingSourceAndUncreatableDestinationThrow)
{
    ScratchDir dir;
    FileSize original = 0;
    FileSize optimized = 0;
    try {
        CompressHTML(dir.Path() + "none.html", dir.Path() + "out.html", 1, 0, 0, original, optimized);
        ADD_FAILURE() << "no error";
    } catch (const std::runtime_error& error) {
        EXPECT_EQ(std::string(error.what()).rfind("Cannot open file \"" + dir.Path() + "none.html\". ", 0), 0u);
    }
    EXPECT_THROW(CompressHTML(dir.Path(), dir.Path() + "out.html", 1, 0, 0, original, optimized),
                 std::runtime_error);  // a folder is no page
    WriteFile(dir.Path() + "in.html", "<p>");
    EXPECT_THROW(CompressHTML(dir.Path() + "in.html", dir.Path() + "no/such/out.html", 1, 0, 0, original,
                              optimized),
                 std::runtime_error);
}

TEST(CompressHTML, Level2PageWithScriptsAndStyles)
{
    ScratchDir src;
    ScratchDir out;
    PluginDirScope scope(RealPluginDir());
    const std::string page =
        "<html><head>\n<style>\n  h1 { color: red }\n</style>\n"
        "<script>\n  // counter\n  var count = 0;\n  function add(step) { count = count + step; }\n</script>\n"
        "</head><body><h1>T</h1><script>add(1);</script></body></html>";
    WriteFile(src.Path() + "p.html", page);
    FileSize original = 0;
    FileSize optimized = 0;
    CompressHTML(src.Path() + "p.html", out.Path() + "p.html", 2, 3, 2, original, optimized);
    const std::string result = ReadFile(out.Path() + "p.html");
    EXPECT_EQ(optimized, static_cast<FileSize>(result.size()));
    EXPECT_LT(optimized, original);
    EXPECT_NE(result.find("<style type=\"text/css\">h1{color:red }</style>"), std::string::npos) << result;
    EXPECT_EQ(result.find("// counter"), std::string::npos) << result;
    EXPECT_NE(result.find("<script>add(1)"), std::string::npos) << result;
    EXPECT_FALSE(out.Has("_temporary.t3mp"));
    EXPECT_FALSE(out.Has("_temporary.7emp"));
    EXPECT_FALSE(src.Has("_temporary.t3mp"));
}
