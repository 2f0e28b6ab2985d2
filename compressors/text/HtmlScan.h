#pragma once
// State of one scan over a page: the page, the output, the position, the
// spans whose white space is kept and the look-ahead indexes that keep the
// block handlers' searches linear. Indexes are 0-based; the position only
// moves forward.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "compressors/text/HtmlKeptSpace.h"
#include "compressors/text/HtmlLookahead.h"

class HtmlScan {
public:
    // The page's folder, when given, is where its linked style sheets are read.
    explicit HtmlScan(std::string_view page, const std::optional<std::string>& pageFolder = std::nullopt);
    HtmlScan(const HtmlScan&) = delete;
    HtmlScan& operator=(const HtmlScan&) = delete;

    bool At(std::size_t index, std::string_view literal) const
    {
        return index + literal.size() <= n && text.compare(index, literal.size(), literal) == 0;
    }

    const std::string_view text;
    const std::size_t n;
    std::string output;
    std::size_t position = 0;

    HtmlKeptSpace keptSpace;
    HtmlLookahead nextStyleEnd;   // "</style>"
    HtmlLookahead nextScriptEnd;  // "</script>"
};
