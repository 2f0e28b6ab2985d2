#pragma once
// Level 2 of the style sheet minifier: the flat table of (selector,
// declaration) pairs of a level 1 text, and the passes that write it back
// with shared declarations grouped and the rest merged per selector.
//
// Every pass is linear: equal selectors and declarations are numbered once
// through a hash index, and each pass walks per-number lists of pairs in
// ascending order instead of comparing every pair with every other.

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

    // Writes the regrouped sheet: one rule per line, lines separated by a
    // carriage return, none after the last. Call after Read returned true;
    // may be called more than once.
    void Write(CssSink& sink) const;

    std::size_t pairCount() const { return selectorOf_.size(); }

private:
    static constexpr std::uint32_t kNone = 0xFFFFFFFFu;

    void ReadRule(std::uint32_t begin, std::uint32_t open, std::uint32_t close);
    void AddPair(std::uint32_t selector, std::uint32_t itemBegin, std::uint32_t itemEnd);
    bool Pays(std::uint32_t declaration) const;

    std::string_view text_;
    CssStringIndex selectors_;
    CssStringIndex declarations_;

    // Per pair, in text order.
    std::vector<std::uint32_t> selectorOf_;
    std::vector<std::uint32_t> declarationOf_;
    std::vector<std::uint32_t> nextWithSelector_;
    std::vector<std::uint32_t> nextWithDeclaration_;

    // Per selector and per declaration: first and last pair.
    std::vector<std::uint32_t> selectorHead_, selectorTail_;
    std::vector<std::uint32_t> declarationHead_, declarationTail_;
    // Per declaration: how many pairs, and their selectors' total length.
    std::vector<std::uint32_t> declarationCount_;
    std::vector<std::uint64_t> declarationSelectorLength_;
};
