#include "compressors/text/CssPropertyFamily.h"

#include <algorithm>
#include <array>
#include <utility>

namespace {

// First name segments that belong to another family.
constexpr std::array<std::pair<std::string_view, std::string_view>, 17> kAliases{{
    {"line", "font"},      {"place", "align"},    {"justify", "align"}, {"top", "inset"},
    {"right", "inset"},    {"bottom", "inset"},   {"left", "inset"},    {"row", "gap"},
    {"column", "gap"},     {"columns", "gap"},    {"width", "size"},    {"height", "size"},
    {"inline", "size"},    {"block", "size"},     {"page", "break"},    {"word", "overflow"},
    {"all", "*"},
}};

}  // namespace

std::string CssPropertyFamily(std::string_view declaration)
{
    const std::size_t colon = declaration.find(':');
    if (colon == std::string_view::npos) return "*";
    std::string_view name = declaration.substr(0, colon);
    while (!name.empty() && name.front() == ' ') name.remove_prefix(1);
    while (!name.empty() && name.back() == ' ') name.remove_suffix(1);
    if (name.empty()) return "*";
    if (name.starts_with("--")) return std::string(name);

    std::string lower(name);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; });
    std::string_view rest = lower;
    if (rest.front() == '-') {  // -webkit-margin-start
        const std::size_t dash = rest.find('-', 1);
        rest = dash == std::string_view::npos ? std::string_view() : rest.substr(dash + 1);
    }
    const std::string_view segment = rest.substr(0, rest.find('-'));
    if (segment.empty()) return "*";
    for (const auto& [from, to] : kAliases)
        if (segment == from) return std::string(to);
    return std::string(segment);
}
