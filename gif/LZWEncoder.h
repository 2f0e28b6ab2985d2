#pragma once
// LZW encoder: (prefix code, pixel) -> code in one of two dictionaries, a
// clear code whenever code 4094 has been assigned, variable code widths up
// to 12 bits.
#include <cstdint>
#include <memory>
#include <vector>

#include "gif/GIFEncoder.h"

// The 8009-slot open-addressing hash, for frames too small to pay for a
// child table.
class THashTable {
public:
    static constexpr int Size = 8009;
    static constexpr std::uint32_t Empty = 0xFFFFFFFFu;
    static constexpr int NotFound = 0xFFFF;

    // Starts uninitialized: the encoder clears it before use.
    THashTable() = default;
    void Clear();
    // key = prefix * 256 + pixel (20 bits), code 12 bits.
    // Looks key up; on a miss also tells the empty slot where StoreAt may put it.
    int Find(std::uint32_t key, int& emptySlot) const
    {
        int slot = Hash(key);
        const int step = slot == 0 ? 1 : Size - slot;
        for (;;) {
            const std::uint32_t entry = fSlots[slot];
            if ((entry >> 12) == key) return int(entry & 0xFFF);
            if ((entry >> 12) == 0xFFFFFu) {
                emptySlot = slot;
                return NotFound;
            }
            slot -= step;
            if (slot < 0) slot += Size;
        }
    }
    void StoreAt(int slot, std::uint32_t key, int code) { fSlots[slot] = (key << 12) | std::uint32_t(code); }

private:
    static int Hash(std::uint32_t key) { return int(((key >> 4) ^ key) % Size); }
    std::uint32_t fSlots[Size];
};

class TLZWEncoder : public TGIFEncoder {
protected:
    void EmitCode(int code) override;
    void ResetTable() override;
    void EncodeCodes() override;

private:
    template <typename TDictionary>
    void EncodePixels(TDictionary& dictionary);
    // One code out for a prefix that could not be extended; whether the
    // table is full and was cleared (else the new string gets the next code).
    bool Miss(int prefix);
};
