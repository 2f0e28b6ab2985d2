#include "compressors/text/HtmlLookahead.h"

#include <algorithm>

#include "compressors/text/HtmlChars.h"

HtmlLookahead::HtmlLookahead(const std::string& text, std::string_view needle, Kind kind)
    : text_(text), needle_(kind == Kind::AnyHtmlSpace ? std::string_view(" ") : needle), kind_(kind)
{
}

std::size_t HtmlLookahead::Search(std::size_t from, std::size_t to) const
{
    const std::size_t size = text_.size();
    if (kind_ == Kind::AnyHtmlSpace) {
        to = std::min(to, size);
        for (std::size_t i = from; i < to; ++i)
            if (IsHtmlSpace(static_cast<unsigned char>(text_[i]))) return i;
        return none;
    }
    if (needle_.size() > size || from > size - needle_.size()) return none;
    // Only the bytes that a match beginning before "to" can cover are read.
    const std::size_t end = (to >= size) ? size : std::min(size, to - 1 + needle_.size());
    const std::string_view window = std::string_view(text_).substr(from, end - from);
    const std::size_t at = window.find(needle_);
    return at == std::string_view::npos ? none : from + at;
}

std::size_t HtmlLookahead::Find(std::size_t start)
{
    if (known_ && start >= start_ && (found_ == none || start <= found_)) return found_;
    known_ = true;
    start_ = start;
    found_ = Search(start, none);
    return found_;
}

void HtmlLookahead::Changed(std::size_t first, std::size_t last)
{
    if (!known_ || kind_ != Kind::Exact) return;
    // A new match overlaps the changed bytes and lies before the known one.
    const std::size_t reach = needle_.size() - 1;
    const std::size_t from = std::max(start_, first >= reach ? first - reach : 0);
    const std::size_t to = std::min(found_, last + 1);
    if (from >= to) return;
    const std::size_t at = Search(from, to);
    if (at != none) found_ = at;
}
