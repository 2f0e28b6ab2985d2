#include "compressors/text/FoldedSearch.h"

#include <algorithm>
#include <cstddef>
#include <stdexcept>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "compressors/text/HtmlChars.h"

namespace {

bool IsLowerLetter(char c)
{
    return c >= 'a' && c <= 'z';
}

bool MatchesAt(std::string_view text, std::size_t at, std::string_view lower)
{
    for (std::size_t k = 0; k < lower.size(); ++k)
        if (LowerAscii(static_cast<unsigned char>(text[at + k])) != static_cast<unsigned char>(lower[k])) return false;
    return true;
}

bool MatchesAnyAt(std::string_view text, std::size_t at, std::initializer_list<std::string_view> needles)
{
    for (const std::string_view needle : needles)
        if (at + needle.size() <= text.size() && MatchesAt(text, at, needle)) return true;
    return false;
}

#if defined(__SSE2__)
// Bytes equal to c in any letter case: a letter is compared with its case bit set.
__m128i EqualFolded(__m128i bytes, char c)
{
    if (IsLowerLetter(c)) bytes = _mm_or_si128(bytes, _mm_set1_epi8(0x20));
    return _mm_cmpeq_epi8(bytes, _mm_set1_epi8(c));
}
#endif

}  // namespace

bool ContainsAnyIgnoringCase(std::string_view text, std::initializer_list<std::string_view> lowerNeedles)
{
    std::size_t longest = 0;
    for (const std::string_view needle : lowerNeedles) {
        if (needle.empty() || needle.size() > 32) throw std::invalid_argument("needle of 1 to 32 bytes expected");
        longest = std::max(longest, needle.size());
    }
    std::size_t at = 0;
#if defined(__SSE2__)
    // 16 positions at a time: a candidate has the needle's first and last
    // bytes in place; candidates are then compared whole.
    const char* data = text.data();
    for (; at + longest + 15 <= text.size(); at += 16) {
        const __m128i head = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + at));
        unsigned candidates = 0;
        for (const std::string_view needle : lowerNeedles) {
            const __m128i tail = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + at + needle.size() - 1));
            candidates |= static_cast<unsigned>(_mm_movemask_epi8(
                _mm_and_si128(EqualFolded(head, needle.front()), EqualFolded(tail, needle.back()))));
        }
        for (; candidates != 0; candidates &= candidates - 1)
            if (MatchesAnyAt(text, at + static_cast<std::size_t>(__builtin_ctz(candidates)), lowerNeedles)) return true;
    }
#endif
    for (; at < text.size(); ++at)
        if (MatchesAnyAt(text, at, lowerNeedles)) return true;
    return false;
}
