#include "gif/LZWEncoder.h"

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

void TLZWEncoder::EncodeCodes()
{
    fHash = std::make_unique<THashTable>();
    ResetTable();
    THashTable& hash = *fHash;
    const std::vector<int> rows = RowOrder();
    const std::size_t width = std::size_t(fWidth);
    const unsigned limit = unsigned(fColorLimit);

    int prefix = -1;
    for (int row : rows) {
        const std::uint8_t* p = fPixels + std::size_t(row) * width;
        const std::uint8_t* end = p + width;
        if (prefix < 0) {
            if (*p >= limit) ColorNotInTable();
            prefix = *p++;
        }
        for (; p < end; ++p) {
            const unsigned pixel = *p;
            if (pixel >= limit) ColorNotInTable();
            const std::uint32_t key = (std::uint32_t(prefix) << 8) | pixel;
            const int code = hash.CodeForKey(key);
            if (code != THashTable::NotFound) {
                prefix = code;
                continue;
            }
            TLZWEncoder::EmitCode(prefix);
            prefix = int(pixel);
            if (fFirstFreeCode >= 4095) {
                ResetTable();
            } else {
                hash.StoreCode(key, fFirstFreeCode);
                ++fFirstFreeCode;
            }
        }
    }
    TLZWEncoder::EmitCode(prefix);
    fHash.reset();
}
