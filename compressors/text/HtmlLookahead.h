#pragma once
// Remembers where the next occurrence of a needle lies, so that a scanner
// whose search starts never move backwards pays for each byte only once.

#include <cstddef>
#include <string>
#include <string_view>

class HtmlLookahead {
public:
    static constexpr std::size_t none = std::string::npos;

    HtmlLookahead(std::string_view text, std::string_view needle);

    // 0-based index of the first match that begins at or after start, or none.
    // Any start is answered correctly; non-decreasing starts are answered in
    // amortized constant time.
    std::size_t Find(std::size_t start);

private:
    std::string_view text_;
    std::string needle_;
    bool known_ = false;
    std::size_t start_ = 0;     // the answer below holds for this start...
    std::size_t found_ = none;  // ...and for every start up to it
};
