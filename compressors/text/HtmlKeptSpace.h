#pragma once
// Where a page's text keeps its white space as written: the content of every
// element that may be shown with white space kept (pre, listing, xmp,
// plaintext, textarea; an element whose style attribute or whose class, id or
// name in a rule of the page's own style elements sets white-space to keep it;
// xml:space="preserve"), nested elements included, up to the matching end tag
// (end tags of the same name counted against start tags) or the end of the
// page. Style sheets linked from the page (<link rel=stylesheet>) are read
// when the page's folder is given and the sheet is a file under a relative
// address there; others (other sites, the site's root, @import) are not.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

class HtmlKeptSpace {
public:
    // The folder ends in "/" (or is empty for the current folder).
    explicit HtmlKeptSpace(std::string_view page, const std::optional<std::string>& pageFolder = std::nullopt);

    // True when the index lies in such content. Indexes asked must not decrease.
    bool Keeps(std::size_t index);

    // The spans [first, end) in page order, disjoint.
    const std::vector<std::pair<std::size_t, std::size_t>>& Spans() const { return spans_; }

private:
    std::vector<std::pair<std::size_t, std::size_t>> spans_;
    std::size_t next_ = 0;  // the first span that may still hold an index asked
};
