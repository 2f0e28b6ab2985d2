#pragma once
// Which elements of a page may show their white space as written, read from
// the page's own style sheets: the rules whose declarations set white-space
// to pre, pre-wrap, pre-line or break-spaces (or white-space-collapse to keep
// spaces). Selectors are read conservatively: a selector stands for every
// element that carries the last class of its last compound ("div .where" and
// ".docblock .where" give class "where"), or else its id, or else its element
// name; a selector that names none of them stands for every element.
// Classes and ids match in any letter case (as in quirks mode).

#include <set>
#include <string>
#include <string_view>

struct WhiteSpaceRules {
    bool everyElement = false;
    std::set<std::string> classes;
    std::set<std::string> ids;
    std::set<std::string> names;  // lower case

    // Adds the rules of a style sheet (the content of a style element).
    void ReadStyleSheet(std::string_view css);

    // True when an element of this lower-case name, class attribute and id
    // attribute may match one of the rules.
    bool Matches(std::string_view lowerName, std::string_view classAttribute, std::string_view id) const;
};

// True when a declaration list (a style attribute's value, or a rule's
// block) sets white space to be kept. Unknown values such as var() count.
bool DeclaresKeptWhiteSpace(std::string_view declarations);
