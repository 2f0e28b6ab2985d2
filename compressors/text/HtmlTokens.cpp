#include "compressors/text/HtmlTokens.h"

#include <cstring>
#include <string_view>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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

#if defined(__SSE2__)
__m128i SpaceBytes(const char* at)
{
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
    return _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(bytes, _mm_set1_epi8(' ')), _mm_cmpeq_epi8(bytes, _mm_set1_epi8('\n'))),
                        _mm_or_si128(_mm_cmpeq_epi8(bytes, _mm_set1_epi8('\t')), _mm_cmpeq_epi8(bytes, _mm_set1_epi8('\r'))));
}
#endif

// The first index in [from, end) where two HTML spaces follow each other (the
// second may lie at end), or end.
std::size_t NextSpacePair(std::string_view text, std::size_t from, std::size_t end)
{
#if defined(__SSE2__)
    for (; from < end && from + 17 <= text.size(); from += 16) {
        auto pairs = static_cast<unsigned>(
            _mm_movemask_epi8(_mm_and_si128(SpaceBytes(text.data() + from), SpaceBytes(text.data() + from + 1))));
        if (end - from < 16) pairs &= (1u << (end - from)) - 1;
        if (pairs != 0) return from + static_cast<std::size_t>(__builtin_ctz(pairs));
    }
#endif
    for (; from < end; ++from)
        if (IsHtmlSpace(static_cast<unsigned char>(text[from])) && from + 1 < text.size() &&
            IsHtmlSpace(static_cast<unsigned char>(text[from + 1])))
            return from;
    return end;
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
        const std::size_t plain = NextSpacePair(scan.text, i, end);
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
