#pragma once
// State of one scan over a page: the working text, the output, the position,
// the raw-text tag waiting for its ">" and the look-ahead indexes that keep
// the handlers' searches linear. Indexes are 0-based; the position only moves
// forward. Blanks next to "=" are dropped from the output as it grows, run by
// run, except inside the protected spans.

#include <cstddef>
#include <string>
#include <string_view>

#include "compressors/text/HtmlLookahead.h"

class HtmlScan {
public:
    // The text is the working text: tag names are lowercased in it as the scan goes.
    explicit HtmlScan(std::string& text);
    HtmlScan(const HtmlScan&) = delete;
    HtmlScan& operator=(const HtmlScan&) = delete;

    bool At(std::size_t index, std::string_view literal) const
    {
        return index + literal.size() <= n && text.compare(index, literal.size(), literal) == 0;
    }

    // Lowercases text[first..last] in place; ranges must not start before an earlier one.
    void LowerInPlace(std::size_t first, std::size_t last);

    // Appends bytes that the final "=" joining leaves alone. The unprotected
    // output before them is joined now, as a run of its own.
    void AppendProtected(std::string_view bytes);

    // Joins the last unprotected run and hands the output over.
    std::string TakeOutput();

    std::string& text;
    const std::size_t n;
    std::string output;
    std::size_t position = 0;

    // "script", "style" or "textarea" from the tag start whose ">" the scan
    // has not reached yet; empty when there is none.
    std::string_view rawTextTag;

    HtmlLookahead nextTagEnd;     // ">"
    HtmlLookahead nextSpace;      // any of the four HTML space characters
    HtmlLookahead nextStyleEnd;   // "</style>"
    HtmlLookahead nextScriptEnd;  // "</script>"

private:
    std::size_t lowered_ = 0;      // text before this index needs no lowercasing again
    std::size_t unprotected_ = 0;  // where the output's unprotected run begins
};

// Replaces every " =" by "=", then every "= " by "=", left to right, without
// looking at replaced text again; in place, in the text from index "from" on.
void JoinEqualsSigns(std::string& text, std::size_t from = 0);
