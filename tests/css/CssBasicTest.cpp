#include <gtest/gtest.h>

#include <string>

#include "CssOracle.h"
#include "compressors/text/CssMinifier.h"

namespace {

// Every case runs through the fast minifier and the step-by-step oracle.
void ExpectBasic(const std::string& input, const std::string& expected)
{
    EXPECT_EQ(MinifyCSSBasic(input), expected) << "input: " << input;
    EXPECT_EQ(OracleCSSBasic(input), expected) << "oracle, input: " << input;
}

TEST(CssBasic, SpacesShrinkAndLineEndingBracesGetCarriageReturns)
{
    ExpectBasic("h1 { color: red; margin: 0 }\nh2 { color: red; }", "h1{ color:red; margin:0 }\rh2{ color:red; }");
    // Only a "}" that ended a line gets a carriage return: a minified sheet never grows.
    ExpectBasic("a{color:red}", "a{color:red}");
    ExpectBasic("a{x:1}  \r\n\n  b{x:1}\n", "a{x:1}\r b{x:1}\r");
    // Spaces before ":" and around ";" and "}" stay; only ": ", ", " and " {" shrink.
    ExpectBasic("a , b {x : 1 ; y:2 }", "a ,b{x :1 ; y:2 }");
    ExpectBasic("\t\ta\t\t{\tb:\t\tc\t}", " a{ b:c }");
    ExpectBasic("", "");
    ExpectBasic("   ", " ");
    ExpectBasic(" {", "{");
    ExpectBasic("}}\n", "}}\r");
}

TEST(CssBasic, LineBreaksVanishBeforeSpacesShrink)
{
    // CR, LF and CRLF are dropped, so spaces on both sides join into one; alone
    // between two tokens they may join they are a space.
    ExpectBasic("a \r\n b", "a b");
    ExpectBasic("a\r\nb\rc\nd", "a b c d");
    ExpectBasic(".a\n.b{margin:0\nauto;\ncolor:red\n}", ".a .b{margin:0 auto;color:red}");
    ExpectBasic("a{b:\"x\"\n\"y\"}/*! k */\nc{}", "a{b:\"x\"\"y\"}/*! k */c{}");
    ExpectBasic("x: \n y", "x:y");
    ExpectBasic("a\n{", "a{");
    ExpectBasic("a \n{", "a{");
    ExpectBasic("p,\n  q", "p,q");
}

TEST(CssBasic, CommentsIncludingTheSlashStarSlashQuirk)
{
    ExpectBasic("/*/ x */a{}", " x */a{}");
    ExpectBasic("a{}/*c*/}", "a{}}");
    ExpectBasic("a{}/*c*/\n/*! k */\nb{}", "a{}\r/*! k */b{}");
    ExpectBasic("a/**/b", "ab");
    ExpectBasic("a /* one */ b /* two */ c", "a b c");
    // An unclosed comment and everything after it stay (but still lose line breaks).
    ExpectBasic("a{}/* open\n b{}", "a{}/* open b{}");
    // A removed comment can bring a "/" next to a "*": that opens the next comment.
    ExpectBasic("a//*c*/*b*/x", "ax");
    ExpectBasic("/**/", "");
    ExpectBasic("/*", "/*");
    ExpectBasic("*/", "*/");
}

TEST(CssBasic, StringsUrlsAndLicenceCommentsStayAsWritten)
{
    const struct {
        const char* input;
        const char* expected;
    } cases[] = {
        // sphinx-rtd-theme: the spaces of a string are content.
        {"dt:after { content: \" : \"; }", "dt:after{ content:\" : \"; }"},
        {"a { content: \"}\" }", "a{ content:\"}\" }"},
        {"a{content:\"/*\"}\nb{x:\"*/\"}", "a{content:\"/*\"}\rb{x:\"*/\"}"},
        {"a{x:'it\\'s  {}'}", "a{x:'it\\'s  {}'}"},
        // rustdoc: a data URI continued over lines with backslash-newline.
        {".copy { background: url('data:image/svg+xml,<svg xmlns=\"http://www.w3.org/2000/svg\" \\\n"
         "  width=\"19\" height=\"18\">\\\n  <path d=\"M14 0 L2 0\"/></svg>') no-repeat; }",
         ".copy{ background:url('data:image/svg+xml,<svg xmlns=\"http://www.w3.org/2000/svg\" \\\n"
         "  width=\"19\" height=\"18\">\\\n  <path d=\"M14 0 L2 0\"/></svg>') no-repeat; }"},
        {"a { b: URL( x  y.png ) }", "a{ b:URL( x  y.png ) }"},
        {"a { b: myurl( x  y ) }", "a{ b:myurl( x y ) }"},
        // A line break ends an unclosed string; the rest is ordinary text.
        {"a{x:\"ab\n  c}", "a{x:\"ab c}"},
        // Licence comments stay, wherever they are.
        {"/*! MIT  licence\n */\na { x: 1 } /* gone */ /*! kept */", "/*! MIT  licence\n */a{ x:1 } /*! kept */"},
    };
    for (const auto& c : cases) ExpectBasic(c.input, c.expected);
}

TEST(CssBasic, HighBytesAndNulAreOrdinaryCharacters)
{
    // 0xA0 (a no-break space in Latin-1) and other high bytes are not spaces.
    const std::string input = "a\xA0{ b:\xE9\xA0 }\xFF \x85";
    ExpectBasic(input, "a\xA0{ b:\xE9\xA0 }\xFF \x85");
    ExpectBasic(std::string("a{\0 }", 5), std::string("a{\0 }", 5));
}

}  // namespace
