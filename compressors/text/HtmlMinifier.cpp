#include "compressors/text/HtmlMinifier.h"

#include <array>

#include "compressors/text/HtmlBlocks.h"
#include "compressors/text/HtmlChars.h"
#include "compressors/text/HtmlScan.h"
#include "compressors/text/HtmlTokens.h"

namespace {

// Bytes at which some handler may start: "<", a double quote, space characters.
constexpr std::array<bool, 256> MakeSpecial()
{
    std::array<bool, 256> special{};
    for (const unsigned char c : {'<', '"', ' ', '\t', '\r', '\n'})
        special[c] = true;
    return special;
}
constexpr std::array<bool, 256> special = MakeSpecial();

// Replaces each "a" + "b" pair, found left to right, by "=" (one of them is "=").
void ReplacePairInPlace(std::string& text, char a, char b)
{
    const std::size_t size = text.size();
    std::size_t write = 0;
    std::size_t read = 0;
    while (read < size) {
        if (text[read] == a && read + 1 < size && text[read + 1] == b) {
            text[write++] = '=';
            read += 2;
        } else {
            text[write++] = text[read++];
        }
    }
    text.resize(write);
}

}  // namespace

void JoinEqualsSigns(std::string& text)
{
    ReplacePairInPlace(text, ' ', '=');
    ReplacePairInPlace(text, '=', ' ');
}

std::string DestinationDirectory(const std::string& destination)
{
    const std::size_t slash = destination.rfind('/');
    return slash == std::string::npos ? std::string() : destination.substr(0, slash + 1);
}

std::string MinifyHTML(std::string& text, const HtmlLevels& levels,
                       const std::string& destinationDirectory)
{
    HtmlScan scan(text);
    scan.output.reserve(scan.n);
    const bool blocks = levels.html == 2;
    const std::size_t n = scan.n;
    while (scan.position < n) {
        const std::size_t p = scan.position;
        const auto c = static_cast<unsigned char>(text[p]);
        if (c == '<') {
            if (scan.At(p, "<!--"))
                SkipComment(scan);
            else if (blocks && scan.At(p, "<style"))
                CopyStyleBlock(scan, levels.css);
            else if (blocks && scan.At(p, "<script"))
                CopyScriptBlock(scan, destinationDirectory, levels.js);
            else if (scan.At(p, "</"))
                CopyEndTag(scan);
            else
                CopyTagStart(scan);
        } else if (c == 'p' && p > 0 && text[p - 1] == '<' && scan.At(p, "pre")) {
            CopyPreformatted(scan);
        } else if (c == '"') {
            CopyQuoted(scan);
        } else if (IsHtmlSpace(c)) {
            CopyWhitespaceRun(scan);
        } else {
            // A run of bytes that no handler claims.
            std::size_t end = p + 1;
            while (end < n && !special[static_cast<unsigned char>(text[end])])
                ++end;
            scan.output.append(text, p, end - p);
            scan.position = end;
        }
    }
    JoinEqualsSigns(scan.output);
    return std::move(scan.output);
}
