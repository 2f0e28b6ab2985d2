#include "compressors/text/HtmlMinifier.h"

#include <utility>

#include "compressors/base/LargeText.h"
#include "compressors/text/HtmlBlocks.h"
#include "compressors/text/HtmlScan.h"
#include "compressors/text/HtmlTokens.h"

std::string DestinationDirectory(const std::string& destination)
{
    const std::size_t slash = destination.rfind('/');
    return slash == std::string::npos ? std::string() : destination.substr(0, slash + 1);
}

std::string MinifyHTML(std::string_view text, const HtmlLevels& levels, const std::string& destinationDirectory,
                       const TRunEnvironment& environment, const std::optional<std::string>& sourceDirectory)
{
    HtmlScan scan(text, sourceDirectory);
    ReserveLargeText(scan.output, scan.n);
    const bool blocks = levels.html == 2;
    const std::size_t n = scan.n;
    while (scan.position < n) {
        const std::size_t p = scan.position;
        if (text[p] != '<') {
            CopyText(scan);
            continue;
        }
        const char next = p + 1 < n ? text[p + 1] : '\0';
        if (next == '!' && scan.At(p, "<!--")) {
            SkipComment(scan);
        } else if (blocks && next == 's' && scan.At(p, "<style")) {
            CopyStyleBlock(scan, levels.style, levels.css);
        } else if (blocks && next == 's' && scan.At(p, "<script")) {
            CopyScriptBlock(scan, destinationDirectory, levels.script, levels.js, environment, levels.shortfall);
        } else if (next == '/') {
            CopyEndTag(scan);
        } else if ((next >= 'a' && next <= 'z') || (next >= 'A' && next <= 'Z')) {
            CopyStartTag(scan);
        } else if (next == '!' || next == '?') {
            CopyDeclaration(scan);
        } else {
            CopyText(scan);  // a "<" that starts no tag is text
        }
    }
    return std::move(scan.output);
}
