// Level 2: style elements through the CSS minifier, script elements through
// the real script plug-in by way of the two temporary files.

#include "HtmlTestSupport.h"

#include <gmock/gmock.h>

#include <algorithm>
#include <filesystem>
#include <mutex>
#include <regex>
#include <thread>
#include <utility>
#include <vector>

#include "compressors/base/ScriptBlockCache.h"
#include "compressors/text/HtmlBlocks.h"
#include "compressors/tools/ToolError.h"
#include "compressors/tools/WindowsArguments.h"

namespace {

const std::string kFixedStyle = "<style type=\"text/css\">";

std::string Level2(const std::string& page, Level js, Level css, const std::string& directory,
                   const TRunEnvironment& environment = NoPlugins())
{
    return Minify(page, PageLevels(2, js, css), directory, environment);
}

}  // namespace

TEST(HtmlStyleBlock, ContentGoesThroughTheCssLevel)
{
    const std::string page = "<style>a { color: red }</style>";
    EXPECT_EQ(Level2(page, 0, 0, ""), kFixedStyle + "a { color: red }</style>");
    EXPECT_EQ(Level2(page, 0, 1, ""), kFixedStyle + "a{ color:red }</style>");
    EXPECT_EQ(Level2(page, 0, 2, ""), kFixedStyle + "a{color:red }</style>");
}

TEST(HtmlStyleBlock, OpeningTagWithAttributesIsKept)
{
    EXPECT_EQ(Level2("<style media=\"print\">a { color: red }</style>", 0, 2, ""),
              "<style media=\"print\">a{color:red }</style>");
    EXPECT_EQ(Level2("<style \r\n>p{}</style>", 0, 0, ""), kFixedStyle + "p{}</style>");
    // The opening tag is kept as written.
    EXPECT_EQ(Level2("<style type = \"text/css\" >p{}</style>", 0, 0, ""), "<style type = \"text/css\" >p{}</style>");
}

TEST(HtmlStyleBlock, WithoutCloserItsContentIsRawText)
{
    EXPECT_EQ(Level2("<style>p  {}", 0, 2, ""), "<style>p  {}");
    EXPECT_EQ(Level2("x <style", 0, 2, ""), "x <style");
    // The closer must come after the opening tag's ">".
    EXPECT_EQ(Level2("<style</style>x>y</style>", 0, 0, ""), "<style</style>x>y</style>");
}

TEST(HtmlScriptBlock, MissingToolCopiesTheElement)
{
    TempDir out;
    // Unchanged to the byte.
    const std::string page = "<script>\n  var a = 1;\n</script>";
    EXPECT_EQ(Level2(page, 3, 0, out.Folder()), page);
    EXPECT_TRUE(std::filesystem::is_empty(out.Folder()));
}

TEST(HtmlScriptBlock, RealToolAtJsLevel0TrimsTheBody)
{
    TempDir out;
    const TRunEnvironment real = RealPlugins();
    // The tool's result keeps its blanks around "="; the capital-letter
    // element is raw text.
    EXPECT_EQ(Level2("<SCRIPT>x</SCRIPT><script type=\"text/javascript\">\n  var a = 1;  \n</script>", 0, 0,
                     out.Folder(), real),
              "<script>x</SCRIPT><script type=\"text/javascript\">var a = 1;</script>");
    EXPECT_EQ(Level2("<script src=\"a.js\"></script>", 0, 0, out.Folder(), real), "<script src=\"a.js\"></script>");
    EXPECT_TRUE(std::filesystem::is_empty(out.Folder()));
}

TEST(HtmlScriptBlock, RealToolMinifiesAtJsLevel3)
{
    TempDir out;
    const std::string body = "\n  // greet the visitor\n  function greet(name) {\n    var message = 'Hello, ' + name;\n"
                             "    return message;\n  }\n  greet('you');\n";
    std::string page = "<p>x</p><script>" + body + "</script>";
    const std::string result = MinifyHTML(page, PageLevels(2, 3, 0), out.Folder(), RealPlugins());
    ASSERT_EQ(result.rfind("<p>x</p><script>", 0), 0u) << result;
    ASSERT_GE(result.size(), 9u);
    EXPECT_EQ(result.substr(result.size() - 9), "</script>");
    EXPECT_LT(result.size(), 16 + body.size());
    EXPECT_EQ(result.find("greet the visitor"), std::string::npos) << result;
    EXPECT_NE(result.find("greet"), std::string::npos) << result;
    EXPECT_TRUE(std::filesystem::is_empty(out.Folder()));
}

TEST(HtmlScriptBlock, AQuoteInTextChangesNothingAfterIt)
{
    // The script goes to the tool whole (its string, its "//" comment and its
    // licence as the tool leaves them); the later pre stays as written.
    TempDir out;
    const std::string page = "<p>A 5\" display.</p><script>/*! Licence */\nvar s = \"a  b\"; // note\nshow(s);</script>"
                             "<pre> x = \"1\" </pre>";
    EXPECT_EQ(Level2(page, 3, 0, out.Folder(), RealPlugins()),
              "<p>A 5\" display.</p><script>/*! Licence */var s=\"a  b\";show(s);</script><pre> x = \"1\" </pre>");
    EXPECT_TRUE(std::filesystem::is_empty(out.Folder()));
}

TEST(HtmlScriptBlock, EmptyBodyStartsNoToolAtAnyJsLevel)
{
    // What the tool gives for an empty body, without starting it: the opening
    // tag and the closing tag when it is present, the element when it is not.
    TempDir plugins;
    TempDir out;
    WriteFile(plugins / "ESC.wsf", "");
    std::vector<std::string> started;
    TRunEnvironment present = PluginsIn(plugins.Folder());
    present.executor = [&started](const std::string& line) { started.push_back(line); };
    TRunEnvironment absent = NoPlugins();
    absent.executor = present.executor;
    const std::vector<std::pair<std::string, std::string>> table{
        {"<script src=\"a.js\"></script>", "<script src=\"a.js\"></script>"},
        {"<script type = \"module\">  \r\n\t </script>", "<script type = \"module\"></script>"},
        {"<p>a</p><script>\n</script><script defer></script>", "<p>a</p><script></script><script defer></script>"}};
    for (Level js = 0; js <= 4; ++js) {
        for (const auto& [page, withTool] : table) {
            EXPECT_EQ(Level2(page, js, 0, out.Folder(), present), withTool) << int(js);
            EXPECT_EQ(Level2(page, js, 0, out.Folder(), absent), page) << int(js);
        }
    }
    EXPECT_TRUE(started.empty());
    EXPECT_TRUE(std::filesystem::is_empty(out.Folder()));
    // A body with content does reach the tool (through the seam here).
    Level2("<script> a() </script>", 3, 0, out.Folder(), present);
    EXPECT_EQ(started.size(), 2u);  // product and oracle
}

TEST(HtmlScriptBlock, AFailingToolLeavesTheElementAndNoTemporaryFiles)
{
    TempDir plugins;
    TempDir out;
    // A script plug-in that declines the script (as on a syntax error, or a
    // template that is no script) without writing its output file.
    WriteFile(plugins / "ESC.wsf", "process.exit(1);\n");
    // Files of these names belong to someone else: never read, never removed.
    WriteFile(out / "_temporary.t3mp", "other();");
    WriteFile(out / "_temporary.7emp", "stale();");
    const std::string page = "<script>\n var a = 1;\n</script><p>after</p>";
    EXPECT_EQ(Level2(page, 3, 0, out.Folder(), PluginsIn(plugins.Folder())), page);
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(out.Path())) names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"_temporary.7emp", "_temporary.t3mp"}));
    EXPECT_EQ(ReadFile(out / "_temporary.7emp"), "stale();");

    // Whatever the tool's failure: the page stays right.
    TRunEnvironment broken = PluginsIn(plugins.Folder());
    broken.executor = [](const std::string& line) { throw ToolError("Timed out after 600 s: " + line); };
    EXPECT_EQ(Level2(page + page, 3, 0, out.Folder(), broken), page + page);
    EXPECT_EQ(names.size(), 2u);
}

TEST(HtmlScriptBlock, EachElementHasTemporaryFilesOfItsOwn)
{
    TempDir out;
    TempDir plugins;
    WriteFile(plugins / "ESC.wsf", "");
    // The tool's stand-in copies its input to its output, on pages minified
    // on two threads at once into one folder.
    TRunEnvironment environment = PluginsIn(plugins.Folder());
    std::mutex mutex;
    std::vector<std::string> lines;
    environment.executor = [&](const std::string& line) {
        const auto arguments = SplitCommandLine(line);
        WriteFile(arguments[arguments.size() - 2], ReadFile(arguments.back()));  // -ow DESTINATION SOURCE
        std::lock_guard lock(mutex);
        lines.push_back(line);
    };
    auto page = [](char thread) {
        std::string text;
        for (int i = 0; i < 20; ++i) text += "<script>f" + std::string(1, thread) + std::to_string(i) + "();</script>";
        return text;
    };
    std::string pages[2] = {page('a'), page('b')};
    std::string results[2];
    {
        std::jthread a([&] { results[0] = MinifyHTML(pages[0], PageLevels(2, 3, 0), out.Folder(), environment); });
        std::jthread b([&] { results[1] = MinifyHTML(pages[1], PageLevels(2, 3, 0), out.Folder(), environment); });
    }
    EXPECT_EQ(results[0], page('a'));
    EXPECT_EQ(results[1], page('b'));
    EXPECT_TRUE(std::filesystem::is_empty(out.Folder()));
    ASSERT_EQ(lines.size(), 40u);
    const std::regex form(
        R"re(cscript //Nologo ".*ESC\.wsf" -l 3 -ow ".*/\.qwo-[0-9]+-[0-9a-f]{16}\.7emp" ".*/_temporary\.[0-9]+-[0-9a-f]{16}\.t3mp")re");
    for (const auto& line : lines) EXPECT_TRUE(std::regex_match(line, form)) << line;
}

TEST(HtmlScriptBlock, ARunSendsEachBodyToTheToolOncePerLevel)
{
    TempDir out;
    TempDir plugins;
    WriteFile(plugins / "ESC.wsf", "");
    // The stand-in wraps its input in brackets and declines bodies that say "bad".
    TRunEnvironment environment = PluginsIn(plugins.Folder());
    environment.scriptBlocks = std::make_shared<TScriptBlockCache>();
    std::vector<std::string> bodies;
    environment.executor = [&bodies](const std::string& line) {
        const auto arguments = SplitCommandLine(line);
        const std::string body = ReadFile(arguments.back());
        bodies.push_back(arguments[4] + ":" + body);  // -l DIGIT
        if (body.find("bad") != std::string::npos) throw ToolError("declined");
        WriteFile(arguments[arguments.size() - 2], "[" + body + "]\n");
    };
    const std::string page = "<script>a()</script><script> a() </script><script>bad()</script><script>b()</script>";
    for (Level js : {3, 3, 4}) {
        std::string working = page;
        EXPECT_EQ(MinifyHTML(working, PageLevels(2, js, 0), out.Folder(), environment),
                  "<script>[a()]</script><script>[a()]</script><script>bad()</script><script>[b()]</script>");
    }
    EXPECT_EQ(bodies, (std::vector<std::string>{"3:a()", "3:bad()", "3:b()", "3:bad()", "4:a()", "4:bad()", "4:b()"}));
    EXPECT_TRUE(std::filesystem::is_empty(out.Folder()));
}

// Only JavaScript goes to the tool; a script of any other type is data for
// the page (templates, formulas, JSON) and stays as written.
TEST(HtmlScriptBlock, OnlyJavaScriptGoesToTheTool)
{
    TempDir out;
    TempDir plugins;
    WriteFile(plugins / "ESC.wsf", "");
    TRunEnvironment environment = PluginsIn(plugins.Folder());
    environment.executor = [](const std::string& line) {
        const auto arguments = SplitCommandLine(line);
        WriteFile(arguments[arguments.size() - 2], "[" + ReadFile(arguments.back()) + "]");
    };
    const struct {
        std::string tag;
        bool sent;
    } cases[] = {
        {"<script>", true},
        {"<script type=\"text/javascript\">", true},
        {"<script type='Application/JavaScript; charset=utf-8'>", true},
        {"<script TYPE=module async>", true},
        {"<script type=\" \">", true},
        {"<script src=x.js type=\"text/ecmascript\" >", true},
        {"<script type=\"math/tex\">", false},
        {"<script type=\"text/template\">", false},
        {"<script type=importmap>", false},
        {"<script data-type=\"x\" type=\"application/ld+json\">", false},
        {"<script type=\"text/x-handlebars-template\" id=t>", false},
    };
    for (const auto& test : cases) {
        const std::string body = test.tag + "E = mc^2</script>";
        std::string working = body;
        const std::string expected = test.sent ? test.tag + "[E = mc^2]</script>" : body;
        EXPECT_EQ(MinifyHTML(working, PageLevels(2, 3, 0), out.Folder(), environment), expected) << test.tag;
    }
}

TEST(HtmlScriptBlock, UnwritableTemporaryFolderThrowsAndLeavesNothing)
{
    std::string page = "<script>a()</script>";
    EXPECT_THROW(MinifyHTML(page, PageLevels(2, 0, 0), "/nonexistent-qwo-folder/", RealPlugins()), std::runtime_error);
}

TEST(HtmlScriptBlock, TrimmingLeavesHighBytes)
{
    EXPECT_EQ(TrimControl("\x01 \t\xa0x\xa0\r\n\x1f"), "\xa0x\xa0");
    EXPECT_EQ(TrimControl(" \x7f "), "\x7f");
    EXPECT_EQ(TrimControl("\n\n"), "");
}
