#pragma once
// Level 2 of the style sheet minifier: the flat table of (selector,
// declaration) pairs of a level 1 text, and the passes that write it back
// with shared declarations grouped and the rest merged per selector.
//
// Every pass is linear: equal selectors and declarations are numbered once
// through a hash index, the pairs of each selector and of each declaration
// are kept side by side in ascending order, and the passes walk those lists
// instead of comparing every pair with every other.

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
    // regrouping keeps intact: it holds "@" or a NUL byte, or a line that is
    // not blank is not exactly one "selector{declarations}" rule.
    bool Read();

    // Decides which pairs are grouped and returns the length of the
    // regrouped sheet. Call after Read returned true.
    std::uint64_t Plan();

    // Writes the regrouped sheet: one rule per line, lines separated by a
    // carriage return, none after the last. Call after Plan.
    void Write(CssSink& sink) const;

    std::size_t pairCount() const { return declarationOf_.size(); }

private:
    static constexpr std::uint32_t kNone = 0xFFFFFFFFu;

    // A pair in the list of a selector (other: its declaration) or of a
    // declaration (other: its selector).
    struct Member {
        std::uint32_t pair;
        std::uint32_t other;
    };

    void ReadRule(std::uint32_t begin, std::uint32_t open, std::uint32_t close);
    void BuildLists();
    std::uint32_t Count(std::uint32_t declaration) const
    {
        return declarationStart_[declaration + 1] - declarationStart_[declaration];
    }
    bool Pays(std::uint32_t declaration) const;
    std::uint64_t GroupLength(std::uint32_t declaration) const;
    void MarkGrouped(std::uint32_t declaration);
    void WriteGroup(CssSink& sink, std::uint32_t declaration, std::uint32_t leadSelector, std::uint32_t leadPair) const;

    std::string_view text_;
    CssStringIndex selectors_;
    CssStringIndex declarations_;

    // Pairs in text order, by rule: rule r holds pairs ruleStart_[r] to
    // ruleStart_[r + 1] - 1, all with selector ruleSelector_[r].
    std::vector<std::uint32_t> declarationOf_;
    std::vector<std::uint32_t> ruleStart_;
    std::vector<std::uint32_t> ruleSelector_;

    // The pairs of selector s are bySelector_[selectorStart_[s] ...
    // selectorStart_[s + 1] - 1], ascending; likewise per declaration.
    std::vector<std::uint32_t> selectorStart_;
    std::vector<Member> bySelector_;
    std::vector<std::uint32_t> declarationStart_;
    std::vector<Member> byDeclaration_;
    std::vector<std::uint64_t> declarationSelectorLength_;

    // The plan: pairs written in a grouped rule, and the pairs that write
    // the groups that do not pay off at once (other: their selector).
    std::vector<std::uint8_t> grouped_;
    std::vector<Member> leaders_;
};
