#pragma once
// Parts of a style sheet that are copied exactly as written: quoted strings,
// url(...) contents and "/*!" comments.

#include <cstddef>
#include <string_view>

// When a quoted string or a url( token starts at text[at], the position just
// past its end; otherwise at. A string ends at its closing quote, at an
// unescaped line break (not included) or at the end of the text; a
// backslash escapes the next character, a line break included. A url( token
// (not part of a longer name) ends after its ")"; quotes inside it are
// strings.
std::size_t CssVerbatimEnd(std::string_view text, std::size_t at);

// A character of a CSS name: letters, digits, "-", "_", escapes and non-ASCII bytes.
inline bool CssNameCharacter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '_' ||
           static_cast<unsigned char>(c) >= 0x80 || c == '\\';
}

// True when text[at] starts "/*!", a comment that every level keeps.
inline bool CssKeptCommentAt(std::string_view text, std::size_t at)
{
    return text.substr(at, 3) == "/*!";
}
