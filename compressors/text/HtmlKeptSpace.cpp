#include "compressors/text/HtmlKeptSpace.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>

#include "compressors/base/Files.h"
#include "compressors/text/FoldedSearch.h"
#include "compressors/text/HtmlChars.h"
#include "compressors/text/HtmlTag.h"
#include "compressors/text/WhiteSpaceRules.h"

namespace {

// A start or end tag met on the walk, with what decides whether it keeps white space.
struct TagSeen {
    std::string name;  // lower case
    bool endTag = false;
    std::size_t begin = 0;  // its "<"
    std::size_t end = 0;    // past its ">"
    std::string_view classes, id, style, xmlSpace, rel, href;
};

bool ContainsIgnoringCase(std::string_view page, std::string_view lower)
{
    const auto same = [](char a, char b) { return LowerAscii(static_cast<unsigned char>(a)) == static_cast<unsigned char>(b); };
    return std::search(page.begin(), page.end(), lower.begin(), lower.end(), same) != page.end();
}

// The bytes of a linked style sheet when its address is a relative path to
// a regular file of a sensible size; nullopt otherwise.
std::optional<std::string> ReadLinkedSheet(const std::string& folder, std::string_view href)
{
    constexpr std::uintmax_t kLargestSheet = 8u << 20;
    href = href.substr(0, href.find_first_of("?#"));
    if (href.empty() || href[0] == '/' || href.find(':') != std::string_view::npos) return std::nullopt;
    const std::filesystem::path path = folder + std::string(href);
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error) || std::filesystem::file_size(path, error) > kLargestSheet)
        return std::nullopt;
    try {
        return ReadEntireFile(path.string());
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

bool IsVoidElement(std::string_view name)
{
    static constexpr std::array<std::string_view, 14> names = {"area", "base",  "br",   "col",   "embed",
                                                               "hr",   "img",   "input", "link", "meta",
                                                               "source", "track", "wbr", "param"};
    for (const std::string_view v : names)
        if (name == v) return true;
    return false;
}

bool ShownAsWritten(std::string_view name)
{
    return name == "pre" || name == "listing" || name == "xmp" || name == "plaintext" || name == "textarea";
}

// Every complete tag of the page in order, as a browser tokenizes it; the
// style sheets of style elements go to the rules.
std::vector<TagSeen> Walk(std::string_view page, WhiteSpaceRules& rules, const std::optional<std::string>& folder)
{
    std::vector<TagSeen> tags;
    std::size_t i = 0;
    while (i < page.size()) {
        const std::size_t at = page.find('<', i);
        if (at == std::string_view::npos) break;
        if (page.compare(at, 4, "<!--") == 0) {
            i = CommentEnd(page, at);
        } else if (StartsTag(page, at)) {
            const HtmlTag tag = ReadTag(page, at);
            if (tag.end == HtmlTag::none) break;
            TagSeen seen{LowerName(page, tag), tag.endTag, at, tag.end, {}, {}, {}, {}, {}, {}};
            if (!tag.endTag) {
                seen.classes = AttributeValue(page, tag, "class").value_or("");
                seen.id = AttributeValue(page, tag, "id").value_or("");
                seen.style = AttributeValue(page, tag, "style").value_or("");
                seen.xmlSpace = AttributeValue(page, tag, "xml:space").value_or("");
                seen.rel = AttributeValue(page, tag, "rel").value_or("");
                seen.href = AttributeValue(page, tag, "href").value_or("");
            }
            if (folder && seen.name == "link" && ContainsIgnoringCase(seen.rel, "stylesheet"))
                if (const auto sheet = ReadLinkedSheet(*folder, seen.href)) rules.ReadStyleSheet(*sheet);
            i = tag.end;
            if (!tag.endTag && IsRawTextElement(seen.name)) {
                i = RawTextEnd(page, tag.end, seen.name);
                if (seen.name == "style") rules.ReadStyleSheet(page.substr(tag.end, i - tag.end));
            }
            tags.push_back(std::move(seen));
        } else if (at + 1 < page.size() && (page[at + 1] == '!' || page[at + 1] == '?' || page[at + 1] == '/')) {
            const std::size_t close = page.find('>', at + 1);
            i = close == std::string_view::npos ? page.size() : close + 1;
        } else {
            i = at + 1;
        }
    }
    return tags;
}

bool KeepsWhiteSpace(const TagSeen& tag, const WhiteSpaceRules& rules)
{
    return ShownAsWritten(tag.name) || rules.Matches(tag.name, tag.classes, tag.id) ||
           DeclaresKeptWhiteSpace(tag.style) || tag.xmlSpace == "preserve";
}

}  // namespace

HtmlKeptSpace::HtmlKeptSpace(std::string_view page, const std::optional<std::string>& pageFolder)
{
    // The elements shown as written that the scan does not keep whole anyway
    // (listing), and any style, attribute or linked sheet that could ask for it.
    const bool asked = pageFolder ? ContainsAnyIgnoringCase(page, {"white-space", "xml:space", "<listing", "stylesheet"})
                                  : ContainsAnyIgnoringCase(page, {"white-space", "xml:space", "<listing"});
    if (!asked) return;
    WhiteSpaceRules rules;
    const std::vector<TagSeen> tags = Walk(page, rules, pageFolder);
    // Open elements that keep white space: name and how many of that name are open.
    std::vector<std::pair<std::string, std::size_t>> open;
    std::size_t first = 0;
    for (const TagSeen& tag : tags) {
        if (tag.endTag) {
            if (open.empty()) continue;
            for (auto& [name, depth] : open)
                if (name == tag.name) --depth;
            std::erase_if(open, [](const auto& entry) { return entry.second == 0; });
            if (open.empty() && tag.begin > first) spans_.emplace_back(first, tag.begin);
            continue;
        }
        if (IsVoidElement(tag.name)) continue;
        for (auto& [name, depth] : open)
            if (name == tag.name) ++depth;
        if (KeepsWhiteSpace(tag, rules)) {
            if (open.empty()) first = tag.end;
            open.emplace_back(tag.name, 1);
        }
    }
    if (!open.empty()) spans_.emplace_back(first, page.size());
}

bool HtmlKeptSpace::Keeps(std::size_t index)
{
    while (next_ < spans_.size() && spans_[next_].second <= index) ++next_;
    return next_ < spans_.size() && spans_[next_].first <= index;
}
