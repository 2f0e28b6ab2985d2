#include "compressors/text/CssVerbatim.h"

namespace {

bool IsLineBreak(char c)
{
    return c == '\n' || c == '\r' || c == '\f';
}

// Past the escape that starts with the backslash at text[at].
std::size_t SkipEscape(std::string_view text, std::size_t at)
{
    if (text.substr(at + 1, 2) == "\r\n") return at + 3;
    return at + 1 < text.size() ? at + 2 : at + 1;
}

std::size_t StringEnd(std::string_view text, std::size_t at)
{
    const char quote = text[at];
    std::size_t i = at + 1;
    while (i < text.size()) {
        const char c = text[i];
        if (c == '\\') {
            i = SkipEscape(text, i);
        } else if (c == quote) {
            return i + 1;
        } else if (IsLineBreak(c)) {
            return i;
        } else {
            ++i;
        }
    }
    return text.size();
}

bool UrlAt(std::string_view text, std::size_t at)
{
    if (text.size() - at < 4 || (at > 0 && CssNameCharacter(text[at - 1]))) return false;
    const auto lower = [&](std::size_t k) { return static_cast<char>(text[at + k] | 0x20); };
    return lower(0) == 'u' && lower(1) == 'r' && lower(2) == 'l' && text[at + 3] == '(';
}

}  // namespace

std::size_t CssVerbatimEnd(std::string_view text, std::size_t at)
{
    if (at >= text.size()) return at;
    const char c = text[at];
    if (c == '"' || c == '\'') return StringEnd(text, at);
    if (!UrlAt(text, at)) return at;
    std::size_t i = at + 4;
    while (i < text.size()) {
        const char d = text[i];
        if (d == '\\') {
            i = SkipEscape(text, i);
        } else if (d == '"' || d == '\'') {
            i = StringEnd(text, i);
        } else if (d == ')') {
            return i + 1;
        } else {
            ++i;
        }
    }
    return text.size();
}
