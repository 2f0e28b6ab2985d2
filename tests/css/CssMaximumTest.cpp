#include <gtest/gtest.h>

#include <string>

#include "CssOracle.h"
#include "compressors/text/CssMinifier.h"

namespace {

void ExpectMaximum(const std::string& input, const std::string& expected)
{
    EXPECT_EQ(MinifyCSSMaximum(input), expected) << "input: " << input;
    EXPECT_EQ(CascadeDifference(MinifyCSSBasic(input), expected), "") << "input: " << input;
}

TEST(CssMaximum, RulesMoveOnlyWhereTheCascadeCannotChange)
{
    const struct {
        const char* input;
        const char* expected;
    } cases[] = {
        {"a{x:1}b{x:1}", "a,b{x:1}"},
        {"a{x:1}b{y:2}a{z:3}", "a{x:1;z:3}b{y:2}"},
        {"a{x:1;x:1}", "a{x:1}"},
        {"h1 { color: red; margin: 0 }\nh2 { color: red; }\np { margin: 0; padding: 0 }",
         "h1{color:red;margin:0 }\rh2{color:red}\rp{margin:0;padding:0 }"},
        // .b sets color between the two reds: an element of classes b and c stays red.
        {".a{color:red} .b{color:blue} .c{color:red}", ".a{color:red}.b{color:blue}.c{color:red}"},
        {".a{color:red} .b{margin:0} .c{color:red}", ".a,.c{color:red}.b{margin:0}"},
        {"a{x:1}b{y:2}a{x:3}", "a{x:1;x:3}b{y:2}"},
        {"a{x:1}b{x:2}a{x:3}", "a{x:1}b{x:2}a{x:3}"},
        {"a{x:1}b{y:2}a{z:3}b{y:2}", "a{x:1;z:3}b{y:2}"},
        // Shorthands, longhands, prefixes and aliases count as the same property.
        {"a{margin:0}b{margin-top:1px}a{margin:0}", "a{margin:0}b{margin-top:1px}a{margin:0}"},
        {"a{font:12px x}b{line-height:2}c{font:12px x}", "a{font:12px x}b{line-height:2}c{font:12px x}"},
        {"a{transition:none}b{-webkit-transition:all 1s}c{transition:none}",
         "a{transition:none}b{-webkit-transition:all 1s}c{transition:none}"},
        {"a{top:0}b{inset:auto}a{left:0}", "a{top:0}b{inset:auto}a{left:0}"},
        {"a{color:red}b{all:unset}a{margin:0}", "a{color:red}b{all:unset}a{margin:0}"},
        // A selector some browsers reject is never listed with another.
        {"a::-moz-selection{color:red}b{color:red}", "a::-moz-selection{color:red}b{color:red}"},
        // A selector no browser reads as one (a fuzzer's find) is never listed with others.
        {"#nav({color:red}b{color:red}", "#nav({color:red}b{color:red}"},
        {"a{x:( 1;y:2;}b{y:2;}", "a{x:( 1;y:2;}b{y:2;}"},  // an open bracket: left at level 1
        {"a[x=\"]\"]{color:red}b{color:red}", "a[x=\"]\"],b{color:red}"},
        {",a{color:red}b{color:red}a,{color:red}", ",a{color:red}b{color:red}a,{color:red}"},  // empty list items
        // Licence comments in front stay in front.
        {"/*! licence */ a{x:1} b{x:1}", "/*! licence */a,b{x:1}"},
        // Runs between and inside @media, @supports and @layer blocks regroup on their own;
        // nothing crosses a block, a kept comment or another at-rule.
        {"a{x:1}b{x:1}@media print{a{x:2}b{x:2}}c{x:1}", "a,b{x:1}@media print{a,b{x:2}}c{x:1}"},
        {"@SUPPORTS (x:y){@media print{a{x:1}b{x:1}}}@layer l{a{y:1}a{z:1}}", "@SUPPORTS (x:y){@media print{a,b{x:1}}}@layer l{a{y:1;z:1}}"},
        {"a{x:1}/*! k */b{x:1}@import url(c);d{x:1}", "a{x:1}/*! k */b{x:1}@import url(c);d{x:1}"},
        {"@font-face{a:1}@keyframes k{from{x:1}to{x:1}}", "@font-face{a:1}@keyframes k{from{x:1}to{x:1}}"},
        {"@media print{a{x:1}b{x:1}", "@media print{a{x:1}b{x:1}"},  // unclosed block
        {"@media p{a{x:1}b{x:1}}c{d{x:1}}", "@media p{a{x:1}b{x:1}}c{d{x:1}}"},  // a nested rule anywhere
    };
    for (const auto& c : cases) ExpectMaximum(c.input, c.expected);
}

TEST(CssMaximum, ItemsSplitOutsideQuotesOnly)
{
    ExpectMaximum("a{content:'a;b'}", "a{content:'a;b'}");
    ExpectMaximum("a{content:\"a;b\";x:1}", "a{content:\"a;b\";x:1}");
    // An apostrophe inside double quotes does not open a section.
    ExpectMaximum("a{q:\"it's\";x:1}b{x:1}", "a{q:\"it's\";x:1}b{x:1}");
    // Strings may hold braces and line breaks; an unclosed one runs to the end.
    ExpectMaximum("a{q:'}';x:'\\\r\n'}b{x:'\\\r\n'}", "a{q:'}';x:'\\\r\n'}b{x:'\\\r\n'}");
    ExpectMaximum("a{q:'x;y}b{y}", "a{q:'x;y}b{y}");
    // Empty items vanish; trailing blanks keep declarations apart.
    ExpectMaximum("a{;;x:1;;}b{x:1 }", "a{x:1}b{x:1 }");
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
    ExpectMaximum(".navigation-primary-item-link{a:1;b:2}.sidebar-secondary-widget-title{a:1;c:3}",
                  ".navigation-primary-item-link{a:1;b:2}.sidebar-secondary-widget-title{a:1;c:3}");
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
