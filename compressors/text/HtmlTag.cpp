#include "compressors/text/HtmlTag.h"

#include <array>

#include "compressors/text/HtmlChars.h"

namespace {

bool IsAsciiLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool Space(std::string_view page, std::size_t at)
{
    return IsHtmlSpace(static_cast<unsigned char>(page[at]));
}

std::size_t SkipSpaces(std::string_view page, std::size_t at)
{
    while (at < page.size() && Space(page, at)) ++at;
    return at;
}

// Copies a stretch of a tag outside its values: each run of HTML spaces
// becomes its first character.
void AppendShortened(std::string& output, std::string_view page, std::size_t first, std::size_t end)
{
    for (std::size_t i = first; i < end; ++i)
        if (!Space(page, i) || i == first || !Space(page, i - 1)) output.push_back(page[i]);
}

bool EqualsIgnoringCase(std::string_view text, std::string_view lower)
{
    if (text.size() != lower.size()) return false;
    for (std::size_t k = 0; k < text.size(); ++k)
        if (LowerAscii(static_cast<unsigned char>(text[k])) != static_cast<unsigned char>(lower[k])) return false;
    return true;
}

}  // namespace

bool StartsTag(std::string_view page, std::size_t at)
{
    if (at + 1 >= page.size() || page[at] != '<') return false;
    if (page[at + 1] != '/') return IsAsciiLetter(page[at + 1]);
    return at + 2 < page.size() && IsAsciiLetter(page[at + 2]);
}

HtmlTag ReadTag(std::string_view page, std::size_t at)
{
    const std::size_t n = page.size();
    HtmlTag tag;
    tag.endTag = page[at + 1] == '/';
    std::size_t i = at + (tag.endTag ? 2 : 1);
    tag.nameBegin = i;
    while (i < n && !Space(page, i) && page[i] != '/' && page[i] != '>') ++i;
    tag.nameEnd = i;
    for (;;) {
        const std::size_t gap = i;
        while (i < n && (Space(page, i) || page[i] == '/')) ++i;
        if (i >= n) return tag;
        if (page[i] == '>') {
            tag.tailBegin = gap;
            tag.end = i + 1;
            return tag;
        }
        HtmlAttribute attribute;
        attribute.gapBegin = gap;
        attribute.nameBegin = i++;  // an "=" here belongs to the name
        while (i < n && !Space(page, i) && page[i] != '/' && page[i] != '>' && page[i] != '=') ++i;
        attribute.nameEnd = attribute.end = i;
        const std::size_t equals = SkipSpaces(page, i);
        if (equals < n && page[equals] == '=') {
            attribute.hasValue = true;
            std::size_t v = SkipSpaces(page, equals + 1);
            if (v >= n) return tag;
            if (page[v] == '"' || page[v] == '\'') {
                const std::size_t close = page.find(page[v], v + 1);
                if (close == std::string_view::npos) return tag;
                attribute.quote = page[v];
                attribute.valueBegin = v + 1;
                attribute.valueEnd = close;
                i = close + 1;
            } else {
                attribute.valueBegin = v;
                while (v < n && !Space(page, v) && page[v] != '>') ++v;
                attribute.valueEnd = i = v;
            }
            attribute.end = i;
        }
        tag.attributes.push_back(attribute);
    }
}

std::string LowerName(std::string_view page, const HtmlTag& tag)
{
    std::string name(page.substr(tag.nameBegin, tag.nameEnd - tag.nameBegin));
    for (char& c : name) c = static_cast<char>(LowerAscii(static_cast<unsigned char>(c)));
    return name;
}

std::optional<std::string_view> AttributeValue(std::string_view page, const HtmlTag& tag, std::string_view name)
{
    for (const HtmlAttribute& attribute : tag.attributes)
        if (EqualsIgnoringCase(page.substr(attribute.nameBegin, attribute.nameEnd - attribute.nameBegin), name))
            return page.substr(attribute.valueBegin, attribute.valueEnd - attribute.valueBegin);
    return std::nullopt;
}

void AppendMinifiedTag(std::string& output, std::string_view page, const HtmlTag& tag)
{
    output.append(tag.endTag ? "</" : "<");
    if (tag.endTag)
        output.append(page.substr(tag.nameBegin, tag.nameEnd - tag.nameBegin));
    else
        output.append(LowerName(page, tag));
    for (const HtmlAttribute& attribute : tag.attributes) {
        AppendShortened(output, page, attribute.gapBegin, attribute.nameBegin);
        output.append(page.substr(attribute.nameBegin, attribute.nameEnd - attribute.nameBegin));
        if (!attribute.hasValue) continue;
        output.push_back('=');
        const std::string_view value = page.substr(attribute.valueBegin, attribute.valueEnd - attribute.valueBegin);
        // Unquoted before anything but a space or ">", the value would run on.
        const bool bare = attribute.quote == '"' && !value.empty() && IsAllDigits(value) &&
                          (page[attribute.end] == '>' || Space(page, attribute.end));
        if (attribute.quote != 0 && !bare) output.push_back(attribute.quote);
        output.append(value);
        if (attribute.quote != 0 && !bare) output.push_back(attribute.quote);
    }
    AppendShortened(output, page, tag.tailBegin, tag.end);
}

bool IsRawTextElement(std::string_view lowerName)
{
    static constexpr std::array<std::string_view, 6> names = {"script", "style", "textarea", "title", "xmp",
                                                              "plaintext"};
    for (const std::string_view name : names)
        if (lowerName == name) return true;
    return false;
}

std::size_t RawTextEnd(std::string_view page, std::size_t from, std::string_view lowerName)
{
    if (lowerName == "plaintext") return page.size();
    for (std::size_t at = page.find("</", from); at != std::string_view::npos && at + 2 + lowerName.size() <= page.size();
         at = page.find("</", at + 1))
        if (EqualsIgnoringCase(page.substr(at + 2, lowerName.size()), lowerName)) return at;
    return page.size();
}

std::size_t CommentEnd(std::string_view page, std::size_t at)
{
    const std::size_t from = at + 3;
    const std::size_t close = from < page.size() ? page.find("-->", from) : std::string_view::npos;
    return close == std::string_view::npos ? page.size() : close + 3;
}
