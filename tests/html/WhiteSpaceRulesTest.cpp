// Which elements a page's own style sheet may show with white space as written.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "compressors/text/WhiteSpaceRules.h"

TEST(WhiteSpaceRules, SelectorsAreReadConservatively)
{
    struct Case {
        std::string sheet;
        std::string name, classes, id;
        bool matches;
    };
    const std::vector<Case> cases = {
        {".where { white-space: pre-wrap }", "div", "item-decl where", "", true},
        {".where { white-space: pre-wrap }", "div", "wherever", "", false},
        {".docblock .where{white-space:pre}", "span", "where", "", true},
        {"div.lines > span.a.b { white-space: pre-line }", "p", "b", "", true},
        {"div.lines > span.a.b { white-space: pre-line }", "p", "a", "", false},
        {"span { white-space: break-spaces }", "SPAN", "", "", false},  // names are given in lower case
        {"SPAN { white-space: break-spaces }", "span", "", "", true},
        {"#Code:hover { white-space: pre }", "p", "", "code", true},
        {"p:not(.x) { white-space: pre }", "p", "", "", true},
        {"p:not(.x) { white-space: pre }", "div", "x", "", false},
        {"@media print { @supports (x:y) { .m { white-space: pre } } }", "p", "m", "", true},
        {".a { color: red; .b { white-space: pre } }", "p", "b", "", true},
        {".q { content: \"}\"; white-space: pre }", "p", "q", "", true},
        {".md\\:w { white-space: pre }", "p", "md:w", "", true},
        {"/* .c { white-space: pre } */ .d { white-space: normal }", "p", "c d", "", false},
        {".e::after { white-space: pre }", "p", "e", "", false},
        {".f { white-space: nowrap; white-space-collapse: collapse }", "p", "f", "", false},
        {".g { white-space-collapse: preserve-breaks }", "p", "g", "", true},
        {".h { white-space: var(--ws) }", "p", "h", "", true},
        // Nothing to read simply: every element.
        {"* { white-space: pre }", "p", "", "", true},
        {"[data-x] { white-space: pre }", "p", "", "", true},
        {".a, :is(.b) { white-space: pre }", "p", "", "", true},
        {".\\31 x { white-space: pre }", "p", "", "", true},
        {".a { white-space: pre", "p", "a", "", true},  // unclosed at the end
    };
    for (const Case& test : cases) {
        WhiteSpaceRules rules;
        rules.ReadStyleSheet(test.sheet);
        EXPECT_EQ(rules.Matches(test.name, test.classes, test.id), test.matches)
            << test.sheet << " / " << test.name << " class=" << test.classes << " id=" << test.id;
    }
}
