#include "app/cli/JsonText.h"

#include <cstdio>

namespace {

std::string Escaped(unsigned value)
{
    char text[8];
    std::snprintf(text, sizeof text, "\\u%04x", value);
    return text;
}

// The length of the valid UTF-8 sequence at `at`, or 0.
std::size_t SequenceLength(std::string_view bytes, std::size_t at)
{
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(bytes[i]); };
    const unsigned lead = byte(at);
    std::size_t length = 0;
    unsigned low = 0x80, high = 0xBF;  // the range of the second byte
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0) low = 0xA0;   // overlong
        if (lead == 0xED) high = 0x9F;  // surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0) low = 0x90;   // overlong
        if (lead == 0xF4) high = 0x8F;  // above U+10FFFF
    } else {
        return 0;
    }
    if (at + length > bytes.size()) return 0;
    if (byte(at + 1) < low || byte(at + 1) > high) return 0;
    for (std::size_t i = 2; i < length; ++i)
        if (byte(at + i) < 0x80 || byte(at + i) > 0xBF) return 0;
    return length;
}

}  // namespace

std::string JsonString(std::string_view bytes)
{
    std::string text = "\"";
    text.reserve(bytes.size() + 2);
    for (std::size_t at = 0; at < bytes.size();) {
        const unsigned char c = static_cast<unsigned char>(bytes[at]);
        if (c >= 0x80) {
            const std::size_t length = SequenceLength(bytes, at);
            if (length == 0) {
                text += Escaped(0xDC00 + c);
                ++at;
            } else {
                text.append(bytes.substr(at, length));
                at += length;
            }
            continue;
        }
        ++at;
        switch (c) {
        case '"': text += "\\\""; break;
        case '\\': text += "\\\\"; break;
        case '\b': text += "\\b"; break;
        case '\f': text += "\\f"; break;
        case '\n': text += "\\n"; break;
        case '\r': text += "\\r"; break;
        case '\t': text += "\\t"; break;
        default:
            if (c < 0x20 || c == 0x7F)
                text += Escaped(c);
            else
                text += static_cast<char>(c);
        }
    }
    return text + "\"";
}
