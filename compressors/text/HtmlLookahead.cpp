#include "compressors/text/HtmlLookahead.h"

HtmlLookahead::HtmlLookahead(std::string_view text, std::string_view needle) : text_(text), needle_(needle) {}

std::size_t HtmlLookahead::Find(std::size_t start)
{
    if (known_ && start >= start_ && (found_ == none || start <= found_)) return found_;
    known_ = true;
    start_ = start;
    found_ = start <= text_.size() ? text_.find(needle_, start) : none;
    return found_;
}
