#include "compressors/text/HtmlTokens.h"

#include <cstring>
#include <string_view>

#include "compressors/text/HtmlChars.h"
#include "compressors/text/HtmlTag.h"

namespace {

bool Space(const HtmlScan& scan, std::size_t at)
{
    return IsHtmlSpace(static_cast<unsigned char>(scan.text[at]));
}

// The last index at or after "from" where "</pre>" begins, in any letter case.
std::size_t LastPreEnd(std::string_view text, std::size_t n, std::size_t from)
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

void CopyRest(HtmlScan& scan)
{
    scan.output.append(scan.text, scan.position, scan.n - scan.position);
    scan.position = scan.n;
}

}  // namespace

void SkipComment(HtmlScan& scan)
{
    scan.position = CommentEnd(scan.text, scan.position);
}

void CopyEndTag(HtmlScan& scan)
{
    const std::size_t p = scan.position;
    if (!StartsTag(scan.text, p)) {
        const std::size_t close = scan.text.find('>', p + 2);
        if (close == std::string::npos) {
            scan.position = scan.n;
        } else {
            scan.output.append(scan.text, p, close + 1 - p);
            scan.position = close + 1;
        }
        return;
    }
    const HtmlTag tag = ReadTag(scan.text, p);
    if (tag.end == HtmlTag::none) {
        scan.position = scan.n;
        return;
    }
    const bool tableCell = tag.end == p + 5 && scan.text[p + 2] == 't' &&
                           (scan.text[p + 3] == 'h' || scan.text[p + 3] == 'd');
    if (!tableCell) AppendMinifiedTag(scan.output, scan.text, tag);
    scan.position = tag.end;
}

void CopyStartTag(HtmlScan& scan)
{
    const std::size_t p = scan.position;
    const HtmlTag tag = ReadTag(scan.text, p);
    const std::string name = LowerName(scan.text, tag);
    if (name.compare(0, 3, "pre") == 0) {
        scan.output.push_back('<');
        scan.output.append(name);
        const std::size_t last = LastPreEnd(scan.text, scan.n, p + 4);
        const std::size_t end = last == std::string::npos ? scan.n : last + 6;
        scan.output.append(scan.text, tag.nameEnd, end - tag.nameEnd);
        scan.position = end;
        return;
    }
    if (tag.end == HtmlTag::none) {
        CopyRest(scan);
        return;
    }
    AppendMinifiedTag(scan.output, scan.text, tag);
    scan.position = tag.end;
    if (IsRawTextElement(name)) {
        const std::size_t end = RawTextEnd(scan.text, tag.end, name);
        scan.output.append(scan.text, tag.end, end - tag.end);
        scan.position = end;
    }
}

void CopyDeclaration(HtmlScan& scan)
{
    const std::size_t p = scan.position;
    const std::size_t close = scan.text.find('>', p + 1);
    const std::size_t end = close == std::string::npos ? scan.n : close + 1;
    std::size_t i = p;
    for (; i < end && !Space(scan, i) && scan.text[i] != '>'; ++i)
        scan.output.push_back(static_cast<char>(LowerAscii(static_cast<unsigned char>(scan.text[i]))));
    for (; i < end; ++i)
        if (!Space(scan, i) || !Space(scan, i - 1)) scan.output.push_back(scan.text[i]);
    scan.position = end;
}

void CopyText(HtmlScan& scan)
{
    const std::size_t p = scan.position;
    const void* hit = std::memchr(scan.text.data() + p + 1, '<', scan.n - p - 1);
    const std::size_t end =
        hit == nullptr ? scan.n : static_cast<std::size_t>(static_cast<const char*>(hit) - scan.text.data());
    std::size_t i = p;
    while (i < end) {
        std::size_t plain = i;
        while (plain < end && !(Space(scan, plain) && plain + 1 < scan.n && Space(scan, plain + 1))) ++plain;
        scan.output.append(scan.text, i, plain - i);
        i = plain;
        if (plain == end) break;
        std::size_t run = plain + 1;
        while (run < scan.n && Space(scan, run)) ++run;
        if (run == scan.n || scan.keptSpace.Keeps(plain))
            scan.output.append(scan.text, plain, run - plain);
        else
            scan.output.push_back(scan.text[plain]);
        i = run;
    }
    scan.position = i;
}
