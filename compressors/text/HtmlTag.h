#pragma once
// One tag of a page, read as a browser reads it: "<" or "</", a name that
// ends at an HTML space, "/" or ">", then attributes whose quoted values may
// hold ">" and white space. Indexes are 0-based into the page.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct HtmlAttribute {
    std::size_t gapBegin = 0;  // HTML spaces and "/" before the name
    std::size_t nameBegin = 0;
    std::size_t nameEnd = 0;
    bool hasValue = false;  // an "=" follows the name (HTML spaces around it allowed)
    char quote = 0;         // '"' or '\'' around the value; 0 when unquoted
    std::size_t valueBegin = 0;
    std::size_t valueEnd = 0;
    std::size_t end = 0;  // past the value and its closing quote, or past the name
};

struct HtmlTag {
    static constexpr std::size_t none = std::string::npos;

    bool endTag = false;
    std::size_t nameBegin = 0;
    std::size_t nameEnd = 0;
    std::vector<HtmlAttribute> attributes;
    std::size_t tailBegin = 0;  // HTML spaces and "/" before the ">"
    std::size_t end = none;     // just past the ">"; none when the page ends inside the tag
};

// "<" and an ASCII letter (a start tag), or "</" and an ASCII letter (an end tag).
bool StartsTag(std::string_view page, std::size_t at);

// Reads the tag whose "<" is at the index (StartsTag holds there).
HtmlTag ReadTag(std::string_view page, std::size_t at);

// The tag's name in lower case.
std::string LowerName(std::string_view page, const HtmlTag& tag);

// The value of the first attribute of that name (given in lower case; names
// match in any letter case); nullopt when the tag has none.
std::optional<std::string_view> AttributeValue(std::string_view page, const HtmlTag& tag, std::string_view name);

// Appends the tag in its minified form: the start tag's name in lower case,
// runs of HTML spaces shortened to their first character, no HTML spaces
// around "=", and a double-quoted all-digit value without its quotes where an
// HTML space or ">" follows it. Quoted values are otherwise copied as written.
// The tag must have its ">".
void AppendMinifiedTag(std::string& output, std::string_view page, const HtmlTag& tag);

// Elements whose content is text, never markup: script, style, textarea,
// title, xmp (content up to the next "</" and the name, in any letter case)
// and plaintext (content to the end of the page).
bool IsRawTextElement(std::string_view lowerName);

// Where the raw text that begins at "from" ends: the index of the next "</"
// followed by the name in any letter case, or the page's size.
std::size_t RawTextEnd(std::string_view page, std::size_t from, std::string_view lowerName);

// Index just past the "-->" of the comment whose "<!--" is at the index (the
// search starts at its second hyphen), or the page's size.
std::size_t CommentEnd(std::string_view page, std::size_t at);
