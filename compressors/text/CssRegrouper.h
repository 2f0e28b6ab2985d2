#pragma once
// Level 2 of the style sheet minifier: the (selector, declaration) pairs of
// a flat level 1 text, written back with rules of one selector merged and
// selectors that share a declaration grouped, where that cannot change
// which declaration a browser applies.
//
// A pair only ever moves back, into an earlier rule, and only when no pair
// between that rule and its own place sets the same property family to
// something else. Pairs are placed in text order, each into the cheapest
// rule that allows it: the latest rule of its selector alone, the latest
// rule of its declaration alone, or a rule of its own.

#include <cstdint>
#include <string_view>
#include <vector>

#include "compressors/text/CssSink.h"
#include "compressors/text/CssStringIndex.h"

class CssRegrouper {
public:
    // basic must be a level 1 result and must outlive this object.
    explicit CssRegrouper(std::string_view basic);

    // Reads the pairs. False when the text is not a flat style sheet that
    // regrouping keeps intact: it holds an at-rule, a NUL byte or a comment
    // after the first rule, or a line is not one "selector{declarations}"
    // rule. "/*!" comments before the first rule are kept in front.
    bool Read();

    // Decides where each pair goes and returns the length of the
    // regrouped sheet. Call after Read returned true.
    std::uint64_t Plan();

    // Writes the regrouped sheet: the leading comments, then the rules, one
    // per line (lines separated by a carriage return, none after the last)
    // when the level 1 text had line breaks, else on one line. Call after Plan.
    void Write(CssSink& sink) const;

private:
    static constexpr std::uint32_t kNone = 0xFFFFFFFFu;

    struct Pair {
        std::uint32_t selector;
        std::uint32_t declaration;
    };
    struct Rule {
        std::vector<std::uint32_t> selectors;
        std::vector<std::uint32_t> declarations;
    };

    bool ReadRule(std::uint32_t begin, std::uint32_t open, std::uint32_t close);

    std::string_view text_;
    std::string_view header_;
    bool lineBreaks_ = false;
    CssStringIndex selectors_;
    CssStringIndex declarations_;
    std::vector<Pair> pairs_;
    std::vector<Rule> rules_;  // in output order
};
