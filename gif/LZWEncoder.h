#pragma once
// LZW encoder: an 8009-slot open-addressing hash of (prefix, pixel) -> code,
// a clear code whenever code 4094 has been assigned, variable code widths up
// to 12 bits.
#include <cstdint>
#include <memory>

#include "gif/GIFEncoder.h"

class THashTable {
public:
    static constexpr int Size = 8009;
    static constexpr std::uint32_t Empty = 0xFFFFFFFFu;
    static constexpr int NotFound = 0xFFFF;

    // Starts uninitialized: the encoder clears it with its first ResetTable.
    THashTable() = default;
    void Clear();
    // key = prefix * 256 + pixel (20 bits), code 12 bits.
    void StoreCode(std::uint32_t key, int code)
    {
        int slot = Hash(key);
        if (fSlots[slot] != Empty) {
            const int step = slot == 0 ? 1 : Size - slot;
            do {
                slot -= step;
                if (slot < 0) slot += Size;
            } while (fSlots[slot] != Empty);
        }
        fSlots[slot] = (key << 12) | std::uint32_t(code);
    }
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
    int CodeForKey(std::uint32_t key) const
    {
        int slot = Hash(key);
        const int step = slot == 0 ? 1 : Size - slot;
        for (;;) {
            const std::uint32_t entry = fSlots[slot];
            if ((entry >> 12) == key) return int(entry & 0xFFF);
            if ((entry >> 12) == 0xFFFFFu) return NotFound;
            slot -= step;
            if (slot < 0) slot += Size;
        }
    }

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
    void EncodePixels(std::uint32_t* recent);
    void Miss(int prefix, std::uint32_t key, int slot, std::uint32_t* recent);
    std::unique_ptr<THashTable> fHash;
    std::size_t fRecentSize = 0;
};
