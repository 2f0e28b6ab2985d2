#pragma once
// Color tables of at most 256 RGB entries. Colors are exchanged as 24-bit
// values with red in bits 0-7, green in 8-15, blue in 16-23.
#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "gif/GIFItem.h"

class TStream;
class TGIFColorMap;

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

// The object a color map belongs to: the image for the global map, a frame
// for its local map. The map reaches its pixels and warning slot through it.
class TGIFColorMapOwner {
public:
    virtual void ColorMapWarning(const TGIFColorMap& map, int severity, const std::string& message) const = 0;
    // Adds one count per pixel of the frames that use the map.
    virtual void CountColorUsage(const TGIFColorMap& map, TGIFUsage& usage) const = 0;
    // Rewrites the pixels (and transparent indices) of the frames that use the map.
    virtual void RemapColorPixels(const TGIFColorMap& map, const TGIFTranslation& translation) = 0;
    // The map's colors changed: what was cached for them is dropped.
    virtual void ColorMapChanged(const TGIFColorMap& map) = 0;
    // Whether frames can use the map at all (not the global map of an image without frames).
    virtual bool ColorMapInUse(const TGIFColorMap& map) const = 0;

protected:
    ~TGIFColorMapOwner() = default;
};

class TGIFColorMap : public TGIFPersistent {
public:
    static constexpr int MaxColors = 256;

    ~TGIFColorMap() override;
    TGIFColorMap(const TGIFColorMap&) = delete;
    TGIFColorMap& operator=(const TGIFColorMap&) = delete;

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
    void SetColor(int index, TGIFColor color);  // unchecked, no notification
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
    // Bad index: warning "Invalid color index", then entry 0 ("Color table is empty" when empty).
    TGIFColor ColorAt(int index);
    // Bits needed to index the entries (0 for an empty map, else at least 1).
    int IndexBits() const;
    // Frees the entries; no notification.
    void ResetColors();
    // Reset, then exactly n entries from the stream ("Premature end of data").
    void LoadFromStream(TStream& stream, int n);
    // The entries padded with black up to 2^IndexBits; nothing when empty.
    void SaveToStream(TStream& stream) const;
    // n triples from a table of RGB triples (after a reset); notifies unless n is 0.
    void SetTable(const std::uint8_t* rgbTriples, int n);
    // Up to 256 entries from blue-green-red-reserved quads.
    void ImportRGBQuads(const std::uint8_t* quads, int n);
    // Copy-from another map: entries, count, capacity and Sorted; notifies.
    void Assign(const TGIFColorMap& source);

    // Through the owner: the image's warning slot.
    void Warn(int severity, const std::string& message) const;
    // Fills usage with (0, i) for every slot, then counts the pixels of the frames using this map.
    void CountUsage(TGIFUsage& usage) const;
    // Rewrites the pixels (and transparent indices) of the frames using this map.
    void RemapPixels(const TGIFTranslation& translation);
    // Releases the palettes/bitmaps cached for these colors.
    void NotifyChanged();
    // Orders the map by decreasing use and drops unused colors; false (nothing
    // done) for at most one entry, or when no frame can use the map.
    bool SortByUsage();

protected:
    explicit TGIFColorMap(TGIFColorMapOwner* owner) : fOwner(owner) {}

private:
    TGIFColorMapOwner* fOwner;
    std::unique_ptr<std::uint8_t[]> fEntries;
    int fCount = 0;
    int fCapacity = 0;
    bool fSorted = false;
};

// The global color table; its owner is the image.
class TGIFGlobalColorMap final : public TGIFColorMap {
public:
    explicit TGIFGlobalColorMap(TGIFColorMapOwner* image) : TGIFColorMap(image) {}
};

// A frame's local color table; its owner is the frame.
class TGIFLocalColorMap final : public TGIFColorMap {
public:
    explicit TGIFLocalColorMap(TGIFColorMapOwner* frame) : TGIFColorMap(frame) {}
};
