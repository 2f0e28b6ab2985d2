#include "app/core/HtmlText.h"

#include "app/core/Utf8.h"

namespace {

constexpr const char* kReplacement = "\xEF\xBF\xBD";  // U+FFFD

}  // namespace

std::string HtmlText(std::string_view text)
{
    std::string html;
    html.reserve(text.size());
    for (std::size_t at = 0; at < text.size();) {
        const char c = text[at];
        switch (c) {
        case '&': html += "&amp;"; break;
        case '<': html += "&lt;"; break;
        case '>': html += "&gt;"; break;
        case '"': html += "&quot;"; break;
        case '\'': html += "&#39;"; break;
        default: {
            const std::size_t length = Utf8SequenceLength(text, at);
            if (length == 0) {
                html += kReplacement;
                ++at;
            } else {
                html.append(text, at, length);
                at += length;
            }
            continue;
        }
        }
        ++at;
    }
    return html;
}
