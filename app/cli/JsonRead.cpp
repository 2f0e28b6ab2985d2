#include "app/cli/JsonRead.h"

#include <charconv>
#include <string>
#include <utility>

namespace {

constexpr int kMaxDepth = 64;

// The value of the four hex digits at `at`, or -1.
int Hex4(std::string_view text, std::size_t at)
{
    if (at + 4 > text.size()) return -1;
    unsigned value = 0;
    const auto [end, error] = std::from_chars(text.data() + at, text.data() + at + 4, value, 16);
    return error == std::errc() && end == text.data() + at + 4 ? static_cast<int>(value) : -1;
}

// The reader refuses lone surrogates, so each escaped byte (a \udcXX that no
// high surrogate precedes) becomes \u0000\u00XX, and a \u0000 of the text
// \u0000\u0000; Recovered undoes both.
std::string Marked(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    bool afterHigh = false;
    for (std::size_t at = 0; at < text.size();) {
        if (text[at] != '\\' || at + 1 == text.size()) {
            out += text[at++];
            afterHigh = false;
            continue;
        }
        const int code = text[at + 1] == 'u' ? Hex4(text, at + 2) : -1;
        if (code < 0) {  // another escape, or a fault the reader names
            out.append(text.substr(at, 2));
            at += 2;
            afterHigh = false;
            continue;
        }
        if (code >= 0xdc80 && code <= 0xdcff && !afterHigh)
            out.append("\\u0000\\u00").append(text.substr(at + 4, 2));
        else if (code == 0)
            out.append("\\u0000\\u0000");
        else
            out.append(text.substr(at, 6));
        afterHigh = code >= 0xd800 && code < 0xdc00;
        at += 6;
    }
    return out;
}

std::string Recovered(const std::string& text)
{
    std::string bytes;
    bytes.reserve(text.size());
    for (std::size_t at = 0; at < text.size(); ++at) {
        if (text[at] != '\0') {
            bytes += text[at];
        } else if (at + 1 < text.size() && text[at + 1] == '\0') {
            bytes += '\0';
            ++at;
        } else if (at + 2 < text.size()) {  // U+0080-U+00FF in UTF-8: two bytes
            bytes += static_cast<char>((static_cast<unsigned char>(text[at + 1]) & 0x1f) << 6 |
                                       (static_cast<unsigned char>(text[at + 2]) & 0x3f));
            at += 2;
        }
    }
    return bytes;
}

void Recover(nlohmann::json& value)
{
    if (value.is_string()) {
        value = Recovered(value.get_ref<const std::string&>());
    } else if (value.is_array()) {
        for (auto& item : value) Recover(item);
    } else if (value.is_object()) {
        nlohmann::json object = nlohmann::json::object();
        for (auto& [name, member] : value.items()) {
            Recover(member);
            object[Recovered(name)] = std::move(member);
        }
        value = std::move(object);
    }
}

}  // namespace

nlohmann::json ParseJson(std::string_view text)
{
    const auto depthGuard = [](int depth, nlohmann::json::parse_event_t, nlohmann::json&) {
        if (depth > kMaxDepth) throw JsonError("nesting too deep");
        return true;
    };
    nlohmann::json value;
    try {
        value = nlohmann::json::parse(Marked(text), depthGuard);
    } catch (const nlohmann::json::exception& error) {
        throw JsonError(error.what());
    }
    Recover(value);
    return value;
}
