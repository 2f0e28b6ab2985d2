#include "compressors/text/HtmlTokens.h"

#include <cstring>
#include <string_view>

#include "compressors/text/HtmlChars.h"

namespace {

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
    scan.output.push_back('<');
    scan.position = p + 1;
}

void CopyPreformatted(HtmlScan& scan)
{
    const std::size_t p = scan.position;
    const std::size_t last = LastPreEnd(scan.text, scan.n, p + 3);
    const std::size_t end = (last == std::string::npos) ? scan.n : last + 6;
    scan.output.append(scan.text, p, end - p);
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
    if (!inner.empty() && IsAllDigits(inner)) {
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
