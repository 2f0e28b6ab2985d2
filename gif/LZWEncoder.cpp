#include "gif/LZWEncoder.h"

#include <algorithm>
#include <cstring>

void THashTable::Clear()
{
    std::memset(fSlots, 0xFF, sizeof fSlots);
}

void TLZWEncoder::EmitCode(int code)
{
    PackCode(code);
    if (fClearFlag) {
        fCodeSize = fInitialCodeSize;
        fCodeLimit = (1 << fCodeSize) - 1;
        fClearFlag = false;
    } else if (fFirstFreeCode > fCodeLimit) {
        ++fCodeSize;
        fCodeLimit = fCodeSize == 12 ? 4096 : (1 << fCodeSize) - 1;
    }
}

void TLZWEncoder::ResetTable()
{
    fClearFlag = true;
    TLZWEncoder::EmitCode(fClearCode);
    fHash->Clear();
    fFirstFreeCode = fClearCode + 2;
}

// One code out: the prefix that could not be extended by pixel. Keeps the
// packer state in members so that the pixel loop has registers to itself.
void TLZWEncoder::Miss(int prefix, std::uint32_t key, int slot, std::uint32_t* recent)
{
    fBucket |= std::uint64_t(prefix) << fBits;
    fBits += fCodeSize;
    while (fBits >= 8) {
        fWriter->PutByte(std::uint8_t(fBucket));
        fBucket >>= 8;
        fBits -= 8;
    }
    if (fFirstFreeCode > fCodeLimit) {
        ++fCodeSize;
        fCodeLimit = fCodeSize == 12 ? 4096 : (1 << fCodeSize) - 1;
    }
    if (fFirstFreeCode >= 4095) {
        fClearFlag = true;
        TLZWEncoder::EmitCode(fClearCode);
        fHash->Clear();
        std::fill(recent, recent + fRecentSize, 0u);
        fFirstFreeCode = fClearCode + 2;
    } else {
        fHash->StoreAt(slot, key, fFirstFreeCode);
        recent[key >> 8] = (((key & 0xFF) + 1) << 16) | std::uint32_t(fFirstFreeCode);
        ++fFirstFreeCode;
    }
}

void TLZWEncoder::EncodePixels(std::uint32_t* recent)
{
    const THashTable& hash = *fHash;
    const std::vector<int> rows = RowOrder();
    const std::size_t width = std::size_t(fWidth);
    const unsigned limit = unsigned(fColorLimit);
    int prefix = -1;
    for (int row : rows) {
        const std::uint8_t* p = fPixels + std::size_t(row) * width;
        const std::uint8_t* const end = p + width;
        if (prefix < 0) {
            if (*p >= limit) ColorNotInTable();
            prefix = *p++;
        }
        for (; p < end; ++p) {
            const unsigned pixel = *p;
            if (pixel >= limit) ColorNotInTable();
            const std::uint32_t cached = recent[prefix];
            if ((cached >> 16) == pixel + 1) {
                prefix = int(cached & 0xFFFF);
                continue;
            }
            const std::uint32_t key = (std::uint32_t(prefix) << 8) | pixel;
            int slot;
            const int code = hash.Find(key, slot);
            if (code != THashTable::NotFound) {
                recent[prefix] = ((pixel + 1) << 16) | std::uint32_t(code);
                prefix = code;
                continue;
            }
            Miss(prefix, key, slot, recent);
            prefix = int(pixel);
        }
    }
    TLZWEncoder::EmitCode(prefix);
}

// With wildcards: each string is the longest that the table holds for any
// choice of the wildcards' values (the strings that match so far are followed
// together), preferring the alternative where several match. A string's table
// entry (the previous string plus this one's first pixel) is stored once this
// string is chosen, just before it is written; a decoder stores it at the same
// point, so the string in progress (a code not yet in the table) never occurs.
void TLZWEncoder::EncodeWithWildcards()
{
    const std::vector<int> rows = RowOrder();
    const std::size_t width = std::size_t(fWidth);
    const std::size_t total = width * rows.size();
    const unsigned limit = unsigned(fColorLimit);
    const unsigned alternative = unsigned(fAlternative);
    if (alternative >= limit) ColorNotInTable();
    // Pixel n in file order and whether it is a wildcard.
    auto pixelAt = [&](std::size_t n, bool& wild) {
        const std::size_t at = std::size_t(rows[n / width]) * width + n % width;
        wild = (fWildcards[at >> 3] >> (at & 7)) & 1;
        const unsigned own = fPixels[at];
        if (own >= limit) ColorNotInTable();
        return own;
    };
    std::vector<std::uint16_t> first(4096);  // first pixel of each code's string
    for (int code = 0; code < fClearCode; ++code) first[std::size_t(code)] = std::uint16_t(code);
    constexpr std::size_t kMaxMatches = 16;
    std::uint16_t matches[kMaxMatches], next[kMaxMatches];
    int previous = -1;
    std::size_t n = 0;
    while (n < total) {
        if (previous >= 0 && fFirstFreeCode >= 4095) {
            fClearFlag = true;
            TLZWEncoder::EmitCode(fClearCode);
            fHash->Clear();
            fFirstFreeCode = fClearCode + 2;
            previous = -1;
        }
        bool wild;
        const unsigned own = pixelAt(n, wild);
        std::size_t count = 0;
        if (wild) matches[count++] = std::uint16_t(alternative);
        if (!wild || own != alternative) matches[count++] = std::uint16_t(own);
        ++n;
        while (n < total) {
            const unsigned pixel = pixelAt(n, wild);
            std::size_t found = 0;
            for (std::size_t m = 0; m < count && found < kMaxMatches; ++m) {
                const std::uint32_t base = std::uint32_t(matches[m]) << 8;
                if (wild) {
                    const int code = fHash->CodeForKey(base | alternative);
                    if (code != THashTable::NotFound) next[found++] = std::uint16_t(code);
                }
                if ((!wild || pixel != alternative) && found < kMaxMatches) {
                    const int code = fHash->CodeForKey(base | pixel);
                    if (code != THashTable::NotFound) next[found++] = std::uint16_t(code);
                }
            }
            if (found == 0) break;
            std::copy(next, next + found, matches);
            count = found;
            ++n;
        }
        const int chosen = matches[0];
        if (previous >= 0) {
            first[std::size_t(fFirstFreeCode)] = first[std::size_t(previous)];
            fHash->StoreCode((std::uint32_t(previous) << 8) | first[std::size_t(chosen)], fFirstFreeCode);
            ++fFirstFreeCode;
        }
        TLZWEncoder::EmitCode(chosen);
        previous = chosen;
    }
}

void TLZWEncoder::EncodeCodes()
{
    fHash = std::make_unique<THashTable>();
    ResetTable();
    // In front of the hash: for each prefix, the last pixel that extended it
    // and the resulting code, as (pixel + 1) << 16 | code; 0 = none. Only codes
    // the hash holds are cached, so the output is the same as without it.
    // Prefixes stay below clear + 2 + the pixel count.
    fRecentSize = std::min<std::size_t>(4096, std::size_t(fClearCode) + 2 + std::size_t(fWidth) * std::size_t(fHeight));
    std::vector<std::uint32_t> lastExtension(fRecentSize, 0);
    if (fWildcards)
        EncodeWithWildcards();
    else
        EncodePixels(lastExtension.data());
    fHash.reset();
}
