// Splitting command lines by the Windows rules and quoting arguments for them.

#include <gtest/gtest.h>

#include "compressors/tools/WindowsArguments.h"

using Args = std::vector<std::string>;

TEST(WindowsArgumentsTest, ArgumentRules)
{
    EXPECT_EQ(SplitArguments("  a\tb   c  "), (Args{"a", "b", "c"}));
    EXPECT_EQ(SplitArguments("\"a b\" c"), (Args{"a b", "c"}));
    EXPECT_EQ(SplitArguments("x\"a b\"y"), (Args{"xa by"}));
    EXPECT_EQ(SplitArguments("\"\" a"), (Args{"", "a"}));
    // Backslashes: literal unless they precede a quote.
    EXPECT_EQ(SplitArguments("a\\b\\\\c"), (Args{"a\\b\\\\c"}));
    EXPECT_EQ(SplitArguments("a\\\"b"), (Args{"a\"b"}));             // \"   -> "
    EXPECT_EQ(SplitArguments("\"a\\\\\" b"), (Args{"a\\", "b"}));    // \\"  -> \ and closing quote
    EXPECT_EQ(SplitArguments("a\\\\\\\"b"), (Args{"a\\\"b"}));       // \\\" -> \"
    EXPECT_EQ(SplitArguments("\"a\"\"b\" c"), (Args{"a\"b", "c"}));  // "" inside quotes
    EXPECT_EQ(SplitArguments("\"unterminated arg"), (Args{"unterminated arg"}));
}

TEST(WindowsArgumentsTest, ProgramNameTakesNoEscapes)
{
    EXPECT_EQ(SplitCommandLine("\"C:\\a b\\t.exe\" -x \"y z\""), (Args{"C:\\a b\\t.exe", "-x", "y z"}));
    EXPECT_EQ(SplitCommandLine("  /p/jhead.exe  -dc \"f\""), (Args{"/p/jhead.exe", "-dc", "f"}));
    EXPECT_EQ(SplitCommandLine("a\\\"b c"), (Args{"a\\\"b", "c"}));
    EXPECT_TRUE(SplitCommandLine("   ").empty());
}

TEST(WindowsArgumentsTest, QuotedArgumentsComeBackIntact)
{
    EXPECT_EQ(QuoteArgument("/out/a b.png"), "\"/out/a b.png\"");  // ordinary paths: just wrapped
    EXPECT_EQ(QuoteArgument("a\"b"), "\"a\\\"b\"");
    EXPECT_EQ(QuoteArgument("dir\\"), "\"dir\\\\\"");
    const Args nasty{"",
                     "-leading dash",
                     "a\"b",
                     "\"",
                     "\\",
                     "a\\\"b",
                     "tail\\\\",
                     "two  blanks\ttab",
                     "x\\y\\\\z\"\"",
                     "/tmp/it's \"quoted\" & $HOME"};
    std::string line = "prog";
    for (const auto& argument : nasty) line += " " + QuoteArgument(argument);
    Args expected{"prog"};
    expected.insert(expected.end(), nasty.begin(), nasty.end());
    EXPECT_EQ(SplitCommandLine(line), expected);
}
