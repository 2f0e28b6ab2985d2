#include "compressors/text/WhiteSpaceRules.h"

#include <algorithm>
#include <vector>

#include "compressors/text/CssVerbatim.h"
#include "compressors/text/HtmlChars.h"

namespace {

bool IsCssSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}

std::string Lower(std::string_view text)
{
    std::string lower(text);
    for (char& c : lower) c = static_cast<char>(LowerAscii(static_cast<unsigned char>(c)));
    return lower;
}

std::string_view Trim(std::string_view text)
{
    while (!text.empty() && IsCssSpace(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsCssSpace(text.back())) text.remove_suffix(1);
    return text;
}

// The sheet without comments; strings and url(...) are kept whole.
std::string WithoutComments(std::string_view css)
{
    std::string out;
    out.reserve(css.size());
    for (std::size_t i = 0; i < css.size(); ++i) {
        const char c = css[i];
        if (const std::size_t end = CssVerbatimEnd(css, i); end != i) {
            out.append(css.substr(i, end - i));
            i = end - 1;
        } else if (c == '/' && i + 1 < css.size() && css[i + 1] == '*') {
            const std::size_t close = css.find("*/", i + 2);
            i = close == std::string_view::npos ? css.size() : close + 1;
            out.push_back(' ');
        } else {
            out.push_back(c);
        }
    }
    return out;
}

// Splits at the separator where no bracket or string is open.
std::vector<std::string_view> SplitTopLevel(std::string_view text, char separator)
{
    std::vector<std::string_view> parts;
    int depth = 0;
    char quote = 0;
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (quote != 0) {
            if (c == '\\')
                ++i;
            else if (c == quote)
                quote = 0;
        } else if (c == '"' || c == '\'') {
            quote = c;
        } else if (c == '(' || c == '[') {
            ++depth;
        } else if ((c == ')' || c == ']') && depth > 0) {
            --depth;
        } else if (c == separator && depth == 0) {
            parts.push_back(text.substr(start, i - start));
            start = i + 1;
        }
    }
    parts.push_back(text.substr(start));
    return parts;
}

bool IsNameChar(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '_' ||
           static_cast<unsigned char>(c) >= 0x80;
}

bool IsHex(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// Reads an identifier at i, decoding "\x" escapes; a hex escape makes it
// unreadable (returns false).
bool ReadIdentifier(std::string_view text, std::size_t& i, std::string& name)
{
    name.clear();
    while (i < text.size()) {
        if (text[i] == '\\' && i + 1 < text.size()) {
            if (IsHex(text[i + 1])) return false;
            name.push_back(text[i + 1]);
            i += 2;
        } else if (IsNameChar(text[i])) {
            name.push_back(text[i++]);
        } else {
            break;
        }
    }
    return true;
}

}  // namespace

bool DeclaresKeptWhiteSpace(std::string_view declarations)
{
    for (const std::string_view declaration : SplitTopLevel(declarations, ';')) {
        const std::size_t colon = declaration.find(':');
        if (colon == std::string_view::npos) continue;
        const std::string property = Lower(Trim(declaration.substr(0, colon)));
        const std::string value = Lower(declaration.substr(colon + 1));
        if (property == "white-space" &&
            (value.find("pre") != std::string::npos || value.find("break-spaces") != std::string::npos ||
             value.find("preserve") != std::string::npos || value.find("var(") != std::string::npos))
            return true;
        if (property == "white-space-collapse" && value.find("collapse") == std::string::npos) return true;
    }
    return false;
}

namespace {

// The last compound selector: after the last combinator outside brackets.
std::string_view LastCompound(std::string_view selector)
{
    selector = Trim(selector);
    int depth = 0;
    for (std::size_t i = selector.size(); i-- > 0;) {
        const char c = selector[i];
        if (c == ')' || c == ']')
            ++depth;
        else if ((c == '(' || c == '[') && depth > 0)
            --depth;
        else if (depth == 0 && (IsCssSpace(c) || c == '>' || c == '+' || c == '~') && (i == 0 || selector[i - 1] != '\\'))
            return selector.substr(i + 1);
    }
    return selector;
}

// Adds what one selector may match; false when it cannot be read simply.
bool AddSelector(WhiteSpaceRules& rules, std::string_view selector)
{
    // A hex escape may end in a blank that is no combinator: not read simply.
    for (std::size_t at = selector.find('\\'); at != std::string_view::npos; at = selector.find('\\', at + 2))
        if (at + 1 < selector.size() && IsHex(selector[at + 1])) return false;
    const std::string_view compound = LastCompound(selector);
    std::string lastClass, id, elementName, word;
    bool generatedOnly = false;
    std::size_t i = 0;
    if (i < compound.size() && IsNameChar(compound[i]) && compound[i] != '-') {
        if (!ReadIdentifier(compound, i, elementName)) return false;
    }
    while (i < compound.size()) {
        const char c = compound[i];
        if (c == '.' || c == '#') {
            ++i;
            if (!ReadIdentifier(compound, i, word) || word.empty()) return false;
            (c == '.' ? lastClass : id) = word;
        } else if (c == ':') {
            const bool element = i + 1 < compound.size() && compound[i + 1] == ':';
            i += element ? 2 : 1;
            if (!ReadIdentifier(compound, i, word)) return false;
            const std::string pseudo = Lower(word);
            // Generated content only: the element's own text is not touched.
            if (pseudo == "before" || pseudo == "after" || pseudo == "marker") generatedOnly = true;
            if (i < compound.size() && compound[i] == '(') {  // arguments are skipped
                int depth = 0;
                do {
                    if (compound[i] == '(') ++depth;
                    if (compound[i] == ')') --depth;
                    ++i;
                } while (i < compound.size() && depth > 0);
            }
        } else if (c == '[') {
            const std::size_t close = compound.find(']', i);
            i = close == std::string_view::npos ? compound.size() : close + 1;
        } else {
            return false;  // "*", "&", "|" and anything else
        }
    }
    if (generatedOnly) return true;
    if (!lastClass.empty())
        rules.classes.insert(Lower(lastClass));
    else if (!id.empty())
        rules.ids.insert(Lower(id));
    else if (!elementName.empty())
        rules.names.insert(Lower(elementName));
    else
        return false;
    return true;
}

void AddRule(WhiteSpaceRules& rules, std::string_view prelude)
{
    for (const std::string_view selector : SplitTopLevel(prelude, ','))
        if (!AddSelector(rules, selector)) rules.everyElement = true;
}

// Reads the rules from i up to the "}" that closes the block (or the end),
// and returns the index past it. Blocks of @media and the like hold rules;
// a rule's block may hold nested rules, whose selectors are read too.
std::size_t ReadRules(WhiteSpaceRules& rules, std::string_view css, std::size_t i)
{
    std::size_t start = i;
    while (i < css.size()) {
        const char c = css[i];
        if (const std::size_t end = CssVerbatimEnd(css, i); end != i) {
            i = end;
        } else if (c == ';') {
            start = ++i;
        } else if (c == '}') {
            return i + 1;
        } else if (c == '{') {
            const std::string_view prelude = Trim(css.substr(start, i - start));
            const std::size_t blockStart = i + 1;
            const std::size_t end = ReadRules(rules, css, blockStart);
            const std::size_t blockEnd = end > blockStart && end <= css.size() && css[end - 1] == '}' ? end - 1 : end;
            const std::string_view block = css.substr(blockStart, std::min(blockEnd, css.size()) - blockStart);
            if (!prelude.empty() && prelude[0] != '@' && DeclaresKeptWhiteSpace(block)) AddRule(rules, prelude);
            start = i = end;
        } else {
            ++i;
        }
    }
    return css.size();
}

}  // namespace

void WhiteSpaceRules::ReadStyleSheet(std::string_view css)
{
    const std::string clean = WithoutComments(css);
    for (std::size_t i = 0; i < clean.size();) i = ReadRules(*this, clean, i);
}

bool WhiteSpaceRules::Matches(std::string_view lowerName, std::string_view classAttribute, std::string_view id) const
{
    if (everyElement || names.count(std::string(lowerName)) != 0) return true;
    if (!id.empty() && ids.count(Lower(id)) != 0) return true;
    std::size_t i = 0;
    while (i < classAttribute.size()) {
        while (i < classAttribute.size() && IsHtmlSpace(static_cast<unsigned char>(classAttribute[i]))) ++i;
        const std::size_t start = i;
        while (i < classAttribute.size() && !IsHtmlSpace(static_cast<unsigned char>(classAttribute[i]))) ++i;
        if (i > start && classes.count(Lower(classAttribute.substr(start, i - start))) != 0) return true;
    }
    return false;
}
