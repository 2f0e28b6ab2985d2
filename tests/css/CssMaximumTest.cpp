#include <gtest/gtest.h>

#include <string>

#include "CssOracle.h"
#include "compressors/text/CssMinifier.h"

namespace {

void ExpectMaximum(const std::string& input, const std::string& expected)
{
    EXPECT_EQ(MinifyCSSMaximum(input), expected) << "input: " << input;
    EXPECT_EQ(OracleCSSMaximum(input), expected) << "oracle, input: " << input;
}

TEST(CssMaximum, SharedDeclarationsAreGroupedAndTheRestMerged)
{
    ExpectMaximum("h1 { color: red; margin: 0 }\nh2 { color: red; }\np { margin: 0; padding: 0 }",
                  "h1,h2{color:red}\rh1{margin:0 }\rp{margin:0;padding:0 }");
    // Through the deferred list: 3 x 2 is not greater than 3 + 3 + 3.
    ExpectMaximum("a{x:1}b{x:1}", "a,b{x:1}");
    // The deferred (a, y:2) is skipped because (a, x:1) comes first; b writes the group.
    ExpectMaximum("a{x:1;y:2}b{y:2}", "b,a{y:2}\ra{x:1}");
    ExpectMaximum("a{x:1}b{y:2}a{z:3}", "a{x:1;z:3}\rb{y:2}");
    ExpectMaximum("a{x:1;x:1}", "a,a{x:1}");
}

TEST(CssMaximum, ItemsSplitOutsideQuotesOnly)
{
    ExpectMaximum("a{content:'a;b'}", "a{content:'a;b'}");
    ExpectMaximum("a{content:\"a;b\";x:1}", "a{content:\"a;b\";x:1}");
    // An apostrophe inside double quotes does not open a section.
    ExpectMaximum("a{q:\"it's\";x:1}b{x:1}", "b,a{x:1}\ra{q:\"it's\"}");
    // An unclosed quote runs to the end of the rule, not of the sheet.
    ExpectMaximum("a{q:'x;y}b{y}", "a{q:'x;y}\rb{y}");
    // Empty items vanish; trailing blanks keep declarations apart.
    ExpectMaximum("a{;;x:1;;}b{x:1 }", "a{x:1}\rb{x:1 }");
}

TEST(CssMaximum, EmptyResults)
{
    ExpectMaximum("a{}", "");
    ExpectMaximum("", "");
    ExpectMaximum("  \n ", "");
    ExpectMaximum("a{ ; }", "");
    // A flat sheet that ends in blanks keeps regrouping.
    ExpectMaximum("a{x:1}b{x:1}  ", "a,b{x:1}");
}

TEST(CssMaximum, RulesWithoutSelectorAreDropped)
{
    ExpectMaximum("{x:1}a{y:2}", "a{y:2}");
    ExpectMaximum(" { x:1 }a{y:2}", "a{y:2}");
    // The dropped rule's declaration does not join the group of an equal one.
    ExpectMaximum("{x:1}a{x:1}b{x:1}", "a,b{x:1}");
}

TEST(CssMaximum, SheetsThatCannotBeRegroupedStayAtLevelOne)
{
    const char* unsafe[] = {
        "@media print { a { color: red } }",
        "@font-face{font-family:A}@font-face{font-family:B}",
        "a{x:1}@import url(b.css);",
        "a{x:1}b{x:1",            // unclosed last rule
        "a{x:1}b{x:1}c",          // text after the last rule
        "a{x:1}}",                // stray closer
        "a{b{x:1}}",              // nesting
        "a{x:{1}",                // two openers in one rule
        "x:1;y:2",                // no rule at all
        "a{x:1}\rb{x:1}/* open",  // unclosed comment
    };
    for (const char* input : unsafe) {
        SCOPED_TRACE(input);
        ExpectMaximum(input, MinifyCSSBasic(input));
    }
    // A NUL byte anywhere, even after the rules.
    const std::string withNul("a{x:1}b{x:1}\0c{x:1}", 19);
    ExpectMaximum(withNul, MinifyCSSBasic(withNul));
}

TEST(CssMaximum, NeverLongerThanLevelOne)
{
    // Long selectors repeated for a short shared declaration would grow the sheet.
    const std::string input = ".navigation-primary-item-link{a:1;b:2}.sidebar-secondary-widget-title{a:1;c:3}";
    const std::string basic = MinifyCSSBasic(input);
    ExpectMaximum(input, basic);
}

TEST(CssMaximum, HighBytesAreNotTrimmed)
{
    // 0xA0 next to the braces is part of the selector and the declaration.
    ExpectMaximum("\xA0"
                  "a{\xA0x:1}b{\xA0x:1}",
                  "\xA0"
                  "a,b{\xA0x:1}");
    ExpectMaximum("\xE9t\xE9{x:1}\xE9t\xE9{y:2}", "\xE9t\xE9{x:1;y:2}");
}

}  // namespace
