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
    const std::uint8_t replacement = std::uint8_t(fReplacement);
    if (fReplaced && replacement >= limit) ColorNotInTable();
    // A row with replaced pixels is encoded from a copy.
    std::vector<std::uint8_t> copy(fReplaced ? width : 0);
    int prefix = -1;
    for (int row : rows) {
        const std::size_t base = std::size_t(row) * width;
        const std::uint8_t* p = fPixels + base;
        if (fReplaced) {
            std::copy(p, p + width, copy.begin());
            for (std::size_t x = 0; x < width; ++x)
                if ((fReplaced[(base + x) >> 3] >> ((base + x) & 7)) & 1) copy[x] = replacement;
            p = copy.data();
        }
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
    EncodePixels(lastExtension.data());
    fHash.reset();
}
