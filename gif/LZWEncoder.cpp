#include "gif/LZWEncoder.h"

#include <algorithm>
#include <cstring>

#include "gif/PixelBits.h"

void THashTable::Clear()
{
    std::memset(fSlots, 0xFF, sizeof fSlots);
}

namespace {

constexpr int kNone = -1;

// One slot per (prefix, pixel): a load per pixel. The slots used since the
// last clear are remembered, so that clearing costs what was stored.
class TChildTable {
public:
    explicit TChildTable(int bitsPerPixel) : fShift(bitsPerPixel), fChildren(std::size_t(4096) << bitsPerPixel, 0)
    {
        fUsed.reserve(4096);
    }
    int Find(int prefix, unsigned pixel, std::size_t& slot) const
    {
        slot = (std::size_t(prefix) << fShift) | pixel;
        const int code = fChildren[slot];
        return code ? code : kNone;
    }
    void Store(std::size_t slot, int code)
    {
        fChildren[slot] = std::uint16_t(code);
        fUsed.push_back(std::uint32_t(slot));
    }
    void Clear()
    {
        for (std::uint32_t slot : fUsed) fChildren[slot] = 0;
        fUsed.clear();
    }

private:
    int fShift;
    std::vector<std::uint16_t> fChildren;
    std::vector<std::uint32_t> fUsed;
};

// The hash, with the last pixel that extended each prefix (and the code it
// gave) in front of it.
class THashedChildren {
public:
    explicit THashedChildren(std::size_t prefixes) : fRecent(prefixes, 0) { fHash->Clear(); }
    int Find(int prefix, unsigned pixel, std::size_t& slot)
    {
        const std::uint32_t cached = fRecent[std::size_t(prefix)];
        if ((cached >> 16) == pixel + 1) return int(cached & 0xFFFF);
        const std::uint32_t key = (std::uint32_t(prefix) << 8) | pixel;
        int empty;
        const int code = fHash->Find(key, empty);
        if (code == THashTable::NotFound) {
            slot = (std::size_t(empty) << 20) | key;
            return kNone;
        }
        fRecent[std::size_t(prefix)] = ((pixel + 1) << 16) | std::uint32_t(code);
        return code;
    }
    void Store(std::size_t slot, int code)
    {
        const std::uint32_t key = std::uint32_t(slot & 0xFFFFF);
        fHash->StoreAt(int(slot >> 20), key, code);
        fRecent[key >> 8] = (((key & 0xFF) + 1) << 16) | std::uint32_t(code);
    }
    void Clear()
    {
        fHash->Clear();
        std::fill(fRecent.begin(), fRecent.end(), 0u);
    }

private:
    std::unique_ptr<THashTable> fHash = std::make_unique<THashTable>();
    std::vector<std::uint32_t> fRecent;  // (pixel + 1) << 16 | code; 0 = none
};

}  // namespace

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
    fFirstFreeCode = fClearCode + 2;
}

// Keeps the packer state in members so that the pixel loop has registers to itself.
bool TLZWEncoder::Miss(int prefix)
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
    if (fFirstFreeCode < 4095) return false;
    ResetTable();
    return true;
}

template <typename TDictionary>
void TLZWEncoder::EncodePixels(TDictionary& dictionary)
{
    const std::vector<int> rows = RowOrder();
    const std::size_t width = std::size_t(fWidth);
    // Past the code size, a pixel would read as a control code.
    const unsigned limit = std::min(unsigned(fColorLimit), 1u << fBitsPerPixel);
    const std::uint8_t replacement = std::uint8_t(fReplacement);
    if (fReplaced && replacement >= limit) ColorNotInTable();
    // A row with replaced pixels is encoded from a copy.
    std::vector<std::uint8_t> copy(fReplaced ? width : 0);
    int prefix = kNone;
    for (int row : rows) {
        const std::size_t base = std::size_t(row) * width;
        const std::uint8_t* p = fPixels + base;
        if (fReplaced) {
            std::copy(p, p + width, copy.begin());
            for (std::size_t x = 0; x < width; ++x)
                if (TestBit(fReplaced, base + x)) copy[x] = replacement;
            p = copy.data();
        }
        const std::uint8_t* const end = p + width;
        if (prefix == kNone) {
            if (*p >= limit) ColorNotInTable();
            prefix = *p++;
        }
        for (; p < end; ++p) {
            const unsigned pixel = *p;
            if (pixel >= limit) ColorNotInTable();
            std::size_t slot;
            const int code = dictionary.Find(prefix, pixel, slot);
            if (code != kNone) {
                prefix = code;
                continue;
            }
            if (Miss(prefix))
                dictionary.Clear();
            else
                dictionary.Store(slot, fFirstFreeCode++);
            prefix = int(pixel);
        }
    }
    TLZWEncoder::EmitCode(prefix);
}

void TLZWEncoder::EncodeCodes()
{
    ResetTable();
    // Codes stay below clear + 2 + the pixel count. A child table costs up
    // to 2 MB; it pays for itself on frames of more than a few thousand
    // pixels per 100 KB of it.
    const std::size_t pixels = std::size_t(fWidth) * std::size_t(fHeight);
    const std::size_t prefixes = std::min<std::size_t>(4096, std::size_t(fClearCode) + 2 + pixels);
    if ((std::size_t(2) << fBitsPerPixel) * 4096 <= 32 * pixels) {
        TChildTable children(fBitsPerPixel);
        EncodePixels(children);
    } else {
        THashedChildren children(prefixes);
        EncodePixels(children);
    }
}
