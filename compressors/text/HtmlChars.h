#pragma once
// Byte tests of the HTML scanner. Bytes are taken as unsigned; no locale.

#include <string_view>

// Space, TAB, carriage return, line feed.
inline bool IsHtmlSpace(unsigned char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// True when every byte is "0" to "9" (also for the empty text).
inline bool IsAllDigits(std::string_view text)
{
    for (const char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        if (c < '0' || c > '9') return false;
    }
    return true;
}

// "A" to "Z" become "a" to "z"; every other byte is returned unchanged.
inline unsigned char LowerAscii(unsigned char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c + ('a' - 'A')) : c;
}
