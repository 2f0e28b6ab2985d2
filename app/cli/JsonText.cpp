#include "app/cli/JsonText.h"

#include <cstdio>

#include "app/core/Utf8.h"

namespace {

std::string Escaped(unsigned value)
{
    char text[8];
    std::snprintf(text, sizeof text, "\\u%04x", value);
    return text;
}

}  // namespace

std::string JsonString(std::string_view bytes)
{
    std::string text = "\"";
    text.reserve(bytes.size() + 2);
    for (std::size_t at = 0; at < bytes.size();) {
        const unsigned char c = static_cast<unsigned char>(bytes[at]);
        if (c >= 0x80) {
            const std::size_t length = Utf8SequenceLength(bytes, at);
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
