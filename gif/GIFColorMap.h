#pragma once
// Color tables of at most 256 RGB entries. Colors are exchanged as 24-bit
// values with red in bits 0-7, green in 8-15, blue in 16-23.
#include <array>
#include <cstdint>
#include <memory>
#include <string>


class TStream;

using TGIFColor = std::uint32_t;

constexpr TGIFColor GIFColor(std::uint8_t red, std::uint8_t green, std::uint8_t blue)
{
    return TGIFColor(red) | (TGIFColor(green) << 8) | (TGIFColor(blue) << 16);
}

// One record of a usage count: pixels using the entry and the entry's index.
struct TGIFUsageRecord {
    std::int32_t Count = 0;
    std::int32_t Index = 0;
};
using TGIFUsage = std::array<TGIFUsageRecord, 256>;
// Old index -> new index.
using TGIFTranslation = std::array<std::uint8_t, 256>;

class TGIFColorMap {
public:
    static constexpr int MaxColors = 256;

    TGIFColorMap() = default;
    TGIFColorMap(const TGIFColorMap& source) { Assign(source); }
    TGIFColorMap& operator=(const TGIFColorMap& source)
    {
        Assign(source);
        return *this;
    }
    TGIFColorMap(TGIFColorMap&&) = default;
    TGIFColorMap& operator=(TGIFColorMap&&) = default;

    int EntryCount() const { return fCount; }
    int Capacity() const { return fCapacity; }
    bool Sorted() const { return fSorted; }
    void SetSorted(bool sorted) { fSorted = sorted; }
    // Raw RGB triples (3 bytes per entry, Capacity() entries); null when reset.
    const std::uint8_t* Data() const { return fEntries.get(); }
    std::uint8_t* Data() { return fEntries.get(); }
    // Unchecked access for 0 <= index < EntryCount().
    TGIFColor Color(int index) const
    {
        const std::uint8_t* e = fEntries.get() + 3 * index;
        return GIFColor(e[0], e[1], e[2]);
    }
    void SetColor(int index, TGIFColor color);  // unchecked
    // Sets the entry count directly (0..Capacity()); used by table rebuilds.
    void SetEntryCount(int count);

    // Grows the capacity to hold n entries (16, then multiples of 32, at most 256).
    void EnsureCapacity(int n);
    // Appends; returns the new index. "Color table overflow" when full.
    int AppendColor(TGIFColor color);
    // Exact match; sorted maps search upwards (first match), others downwards (last match); -1 if absent.
    int IndexOfColor(TGIFColor color) const;
    int AddUniqueColor(TGIFColor color);
    // "Invalid color index" for a bad index.
    void DeleteColor(int index);
    // Bad index: entry 0 ("Color table is empty" when empty).
    TGIFColor ColorAt(int index);
    // Bits needed to index the entries (0 for an empty map, else at least 1).
    int IndexBits() const;
    // Frees the entries.
    void ResetColors();
    // Reset, then exactly n entries from the stream ("Premature end of data").
    void LoadFromStream(TStream& stream, int n);
    // The entries padded with black up to 2^IndexBits; nothing when empty.
    void SaveToStream(TStream& stream) const;
    // n triples from a table of RGB triples (after a reset).
    void SetTable(const std::uint8_t* rgbTriples, int n);
    // Copy-from another map: entries, count, capacity and Sorted.
    void Assign(const TGIFColorMap& source);

private:
    std::unique_ptr<std::uint8_t[]> fEntries;
    int fCount = 0;
    int fCapacity = 0;
    bool fSorted = false;
};

// The global color table (held by the header).
class TGIFGlobalColorMap final : public TGIFColorMap {};

// A frame's local color table.
class TGIFLocalColorMap final : public TGIFColorMap {};
