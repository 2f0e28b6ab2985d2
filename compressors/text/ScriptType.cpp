#include "compressors/text/ScriptType.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <string>

namespace {

bool IsSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}

std::string Lowered(std::string_view text)
{
    std::string lowered(text);
    for (char& c : lowered) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return lowered;
}

// The value of the type attribute; empty when there is none.
std::string TypeOf(std::string_view tag)
{
    std::size_t at = tag.find_first_of(" \t\n\r\f/>");
    while (at < tag.size() && tag[at] != '>') {
        while (at < tag.size() && (IsSpace(tag[at]) || tag[at] == '/')) ++at;
        const std::size_t nameStart = at;
        while (at < tag.size() && !IsSpace(tag[at]) && tag[at] != '=' && tag[at] != '>' && tag[at] != '/') ++at;
        const std::string name = Lowered(tag.substr(nameStart, at - nameStart));
        while (at < tag.size() && IsSpace(tag[at])) ++at;
        std::string_view value;
        if (at < tag.size() && tag[at] == '=') {
            ++at;
            while (at < tag.size() && IsSpace(tag[at])) ++at;
            if (at < tag.size() && (tag[at] == '"' || tag[at] == '\'')) {
                const std::size_t close = tag.find(tag[at], at + 1);
                const std::size_t end = close == std::string_view::npos ? tag.size() : close;
                value = tag.substr(at + 1, end - at - 1);
                at = end + 1;
            } else {
                const std::size_t start = at;
                while (at < tag.size() && !IsSpace(tag[at]) && tag[at] != '>') ++at;
                value = tag.substr(start, at - start);
            }
        }
        if (name == "type") return Lowered(value);
        if (name.empty() && at < tag.size() && tag[at] != '>') ++at;  // a stray character
    }
    return {};
}

}  // namespace

bool IsJavaScriptElement(std::string_view openingTag)
{
    std::string type = TypeOf(openingTag);
    type = type.substr(0, type.find(';'));
    const auto first = std::find_if_not(type.begin(), type.end(), IsSpace);
    const auto last = std::find_if_not(type.rbegin(), type.rend(), IsSpace).base();
    type = first < last ? std::string(first, last) : std::string();
    static constexpr std::array<std::string_view, 18> kJavaScript = {
        "", "module", "text/javascript", "application/javascript", "application/ecmascript", "text/ecmascript",
        "application/x-javascript", "application/x-ecmascript", "text/x-javascript", "text/x-ecmascript",
        "text/jscript", "text/livescript", "text/javascript1.0", "text/javascript1.1", "text/javascript1.2",
        "text/javascript1.3", "text/javascript1.4", "text/javascript1.5"};
    return std::find(kJavaScript.begin(), kJavaScript.end(), type) != kJavaScript.end();
}
