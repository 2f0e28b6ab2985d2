#include "compressors/text/HtmlMinifier.h"

#include <algorithm>
#include <array>

#include "compressors/text/HtmlBlocks.h"
#include "compressors/text/HtmlChars.h"
#include "compressors/text/HtmlScan.h"
#include "compressors/text/HtmlTokens.h"

namespace {

// How the plain-text loop treats a byte: copied, a space character (copied
// when a non-space follows it), or a stop where a handler may start.
enum ByteClass : unsigned char { Plain, Space, Stop };
constexpr std::array<ByteClass, 256> MakeClasses()
{
    std::array<ByteClass, 256> classes{};
    classes['<'] = Stop;
    classes['"'] = Stop;
    for (const unsigned char c : {' ', '\t', '\r', '\n'}) classes[c] = Space;
    return classes;
}
constexpr std::array<ByteClass, 256> kClasses = MakeClasses();

}  // namespace

std::string DestinationDirectory(const std::string& destination)
{
    const std::size_t slash = destination.rfind('/');
    return slash == std::string::npos ? std::string() : destination.substr(0, slash + 1);
}

std::string MinifyHTML(std::string& text, const HtmlLevels& levels, const std::string& destinationDirectory,
                       const TRunEnvironment& environment)
{
    HtmlScan scan(text);
    scan.output.reserve(scan.n);
    const bool blocks = levels.html == 2;
    const std::size_t n = scan.n;
    while (scan.position < n) {
        const std::size_t p = scan.position;
        const auto c = static_cast<unsigned char>(text[p]);
        const char next = p + 1 < n ? text[p + 1] : '\0';
        if (c == '<') {
            if (next == '!' && scan.At(p, "<!--"))
                SkipComment(scan);
            else if (blocks && next == 's' && scan.At(p, "<style"))
                CopyStyleBlock(scan, levels.css);
            else if (blocks && next == 's' && scan.At(p, "<script"))
                CopyScriptBlock(scan, destinationDirectory, levels.js, environment);
            else if (next == '/')
                CopyEndTag(scan);
            else
                CopyTagStart(scan);
        } else if (c == 'p' && p > 0 && text[p - 1] == '<' && scan.At(p, "pre")) {
            CopyPreformatted(scan);
        } else if (c == '"') {
            CopyQuoted(scan);
        } else if (kClasses[c] == Space && (p + 1 == n || kClasses[static_cast<unsigned char>(next)] == Space)) {
            CopyWhitespaceRun(scan);
        } else if (c == '>' && !scan.rawTextTag.empty()) {
            CopyRawText(scan);
        } else {
            // Bytes that no handler claims, and lone space characters, which
            // a run of one leaves as they are; a raw-text tag's ">" ends the run.
            std::size_t limit = n;
            if (!scan.rawTextTag.empty()) limit = std::min(n, scan.nextTagEnd.Find(p + 1));
            std::size_t end = p + 1;
            while (end < limit) {
                const ByteClass kind = kClasses[static_cast<unsigned char>(text[end])];
                if (kind == Plain) {
                    ++end;
                } else if (kind == Space && end + 1 < n &&
                           kClasses[static_cast<unsigned char>(text[end + 1])] != Space) {
                    ++end;
                } else {
                    break;
                }
            }
            scan.output.append(text, p, end - p);
            scan.position = end;
        }
    }
    return scan.TakeOutput();
}
