#include "compressors/text/HtmlTokens.h"

#include <cstring>
#include <string_view>

#include "compressors/text/HtmlChars.h"

namespace {

// Ends a tag name: an HTML space, ">" or "/".
bool EndsTagName(unsigned char c)
{
    return IsHtmlSpace(c) || c == '>' || c == '/';
}

void ConsumeRest(HtmlScan& scan)
{
    scan.position = scan.n;
}

// The last index at or after "from" where "</pre>" begins, in any letter case.
std::size_t LastPreEnd(const std::string& text, std::size_t n, std::size_t from)
{
    static constexpr std::string_view closer = "</pre>";
    if (n < closer.size()) return std::string::npos;
    for (std::size_t at = n - closer.size() + 1; at-- > from;) {
        if (text[at] != '<') continue;
        bool same = true;
        for (std::size_t k = 1; k < closer.size() && same; ++k)
            same = LowerAscii(static_cast<unsigned char>(text[at + k])) == closer[k];
        if (same) return at;
    }
    return std::string::npos;
}

// The first index at or after "from" where "</" and the lower-case name
// begin, the name in any letter case; none without one.
std::size_t FindRawTextEnd(const std::string& text, std::size_t n, std::size_t from, std::string_view name)
{
    const std::size_t length = 2 + name.size();
    for (std::size_t at = text.find("</", from); at != std::string::npos && at + length <= n;
         at = text.find("</", at + 1)) {
        bool same = true;
        for (std::size_t k = 0; k < name.size() && same; ++k)
            same = LowerAscii(static_cast<unsigned char>(text[at + 2 + k])) == name[k];
        if (same) return at;
    }
    return std::string::npos;
}

}  // namespace

void SkipComment(HtmlScan& scan)
{
    const std::size_t from = scan.position + 3;
    const std::size_t at = from < scan.n ? scan.text.find("-->", from) : std::string::npos;
    if (at == std::string::npos)
        ConsumeRest(scan);
    else
        scan.position = at + 3;
}

void CopyEndTag(HtmlScan& scan)
{
    const std::size_t p = scan.position;
    const std::size_t e = scan.nextTagEnd.Find(p + 2);
    if (e == HtmlLookahead::none) {
        ConsumeRest(scan);
        return;
    }
    scan.rawTextTag = {};
    if (e == p + 4 && scan.text[p + 2] == 't' && (scan.text[p + 3] == 'h' || scan.text[p + 3] == 'd')) {
        scan.position = e + 1;
        return;
    }
    scan.output.push_back('<');
    scan.position = p + 1;
}

void CopyTagStart(HtmlScan& scan)
{
    const std::size_t p = scan.position;
    const std::size_t g = scan.nextTagEnd.Find(p + 1);
    const std::size_t b = scan.nextSpace.Find(p + 1);
    if (g != HtmlLookahead::none && b != HtmlLookahead::none) scan.LowerInPlace(p + 1, g < b ? g : b);
    NoteTagStart(scan);
    scan.output.push_back('<');
    scan.position = p + 1;
}

void NoteTagStart(HtmlScan& scan)
{
    // Tested byte by byte: most tags differ at their first or second letter.
    static constexpr std::string_view names[] = {"script", "style", "textarea"};
    scan.rawTextTag = {};
    const std::size_t first = scan.position + 1;
    if (first >= scan.n || (scan.text[first] != 's' && scan.text[first] != 't')) return;
    for (const std::string_view name : names) {
        const std::size_t end = first + name.size();
        if (end > scan.n) continue;
        std::size_t k = 0;
        while (k < name.size() && scan.text[first + k] == name[k]) ++k;
        if (k == name.size() && (end == scan.n || EndsTagName(static_cast<unsigned char>(scan.text[end])))) {
            scan.rawTextTag = name;
            return;
        }
    }
}

void CopyRawText(HtmlScan& scan)
{
    const std::size_t first = scan.position + 1;
    const std::size_t at = FindRawTextEnd(scan.text, scan.n, first, scan.rawTextTag);
    const std::size_t end = at == std::string::npos ? scan.n : at;
    scan.output.push_back('>');
    scan.AppendProtected(std::string_view(scan.text).substr(first, end - first));
    scan.rawTextTag = {};
    scan.position = end;
}

void CopyPreformatted(HtmlScan& scan)
{
    const std::size_t p = scan.position;
    const std::size_t last = LastPreEnd(scan.text, scan.n, p + 3);
    const std::size_t end = (last == std::string::npos) ? scan.n : last + 6;
    scan.AppendProtected(std::string_view(scan.text).substr(p, end - p));
    scan.position = end;
}

void CopyQuoted(HtmlScan& scan)
{
    const std::size_t p = scan.position;
    const void* hit = p + 1 < scan.n ? std::memchr(scan.text.data() + p + 1, '"', scan.n - p - 1) : nullptr;
    if (hit == nullptr) {
        scan.output.push_back('"');
        scan.position = p + 1;
        return;
    }
    const std::size_t e = static_cast<std::size_t>(static_cast<const char*>(hit) - scan.text.data());
    const std::string_view inner = std::string_view(scan.text).substr(p + 1, e - p - 1);
    // Before "/" the quotes stay: r="4"/> unquoted would read as the value "4/".
    const bool slashFollows = e + 1 < scan.n && scan.text[e + 1] == '/';
    if (!inner.empty() && IsAllDigits(inner) && !slashFollows) {
        scan.output.append(inner);
    } else {
        scan.output.push_back('"');
        scan.output.append(inner);
        scan.output.push_back('"');
    }
    scan.position = e + 1;
}

void CopyWhitespaceRun(HtmlScan& scan)
{
    const std::size_t p = scan.position;
    std::size_t f = p + 1;
    while (f < scan.n && IsHtmlSpace(static_cast<unsigned char>(scan.text[f]))) ++f;
    if (f < scan.n) {
        scan.output.push_back(scan.text[p]);
        scan.position = f;
    } else {
        scan.output.append(scan.text, p, scan.n - p);
        scan.position = scan.n;
    }
}
