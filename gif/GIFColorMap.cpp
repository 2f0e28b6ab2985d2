#include "gif/GIFColorMap.h"

#include <algorithm>
#include <cstring>

#include "gif/GIFException.h"
#include "gif/GIFStream.h"

void TGIFColorMap::SetColor(int index, TGIFColor color)
{
    std::uint8_t* e = fEntries.get() + 3 * index;
    e[0] = std::uint8_t(color);
    e[1] = std::uint8_t(color >> 8);
    e[2] = std::uint8_t(color >> 16);
}

void TGIFColorMap::SetEntryCount(int count)
{
    fCount = std::clamp(count, 0, fCapacity);
}

void TGIFColorMap::EnsureCapacity(int n)
{
    if (n < fCapacity) return;
    int capacity = n <= 16 ? 16 : (n + 31) / 32 * 32;
    capacity = std::min(capacity, MaxColors);
    if (capacity == fCapacity) return;
    auto block = std::make_unique<std::uint8_t[]>(std::size_t(capacity) * 3);
    if (fCount) std::memcpy(block.get(), fEntries.get(), std::size_t(fCount) * 3);
    fEntries = std::move(block);
    fCapacity = capacity;
}

int TGIFColorMap::AppendColor(TGIFColor color)
{
    if (fCount >= MaxColors) throw GIFException("Color table overflow");
    if (fCount >= fCapacity) EnsureCapacity(fCount + 1);
    SetColor(fCount, color);
    int index = fCount++;
    fSorted = false;
    return index;
}

int TGIFColorMap::IndexOfColor(TGIFColor color) const
{
    const std::uint8_t r = std::uint8_t(color), g = std::uint8_t(color >> 8), b = std::uint8_t(color >> 16);
    const std::uint8_t* e = fEntries.get();
    if (fSorted) {
        for (int i = 0; i < fCount; ++i)
            if (e[3 * i] == r && e[3 * i + 1] == g && e[3 * i + 2] == b) return i;
    } else {
        for (int i = fCount - 1; i >= 0; --i)
            if (e[3 * i] == r && e[3 * i + 1] == g && e[3 * i + 2] == b) return i;
    }
    return -1;
}

int TGIFColorMap::AddUniqueColor(TGIFColor color)
{
    int index = IndexOfColor(color);
    return index >= 0 ? index : AppendColor(color);
}

void TGIFColorMap::DeleteColor(int index)
{
    if (index < 0 || index >= fCount) throw GIFException("Invalid color index");
    std::uint8_t* e = fEntries.get();
    std::memmove(e + 3 * index, e + 3 * (index + 1), std::size_t(fCount - index - 1) * 3);
    --fCount;
    fSorted = false;
}

TGIFColor TGIFColorMap::ColorAt(int index)
{
    if (index < 0 || index >= fCount) {
        if (fCount == 0) throw GIFException("Color table is empty");
        index = 0;
    }
    return Color(index);
}

int TGIFColorMap::IndexBits() const
{
    if (fCount == 0) return 0;
    int bits = 1;
    while ((1 << bits) < fCount) ++bits;
    return bits;
}

void TGIFColorMap::ResetColors()
{
    fEntries.reset();
    fCount = 0;
    fCapacity = 0;
    fSorted = false;
}

void TGIFColorMap::LoadFromStream(TStream& stream, int n)
{
    ResetColors();
    EnsureCapacity(n);
    stream.ReadChecked(fEntries.get(), std::size_t(n) * 3);
    fCount = n;
}

void TGIFColorMap::SaveToStream(TStream& stream) const
{
    if (fCount == 0) return;
    std::uint8_t block[3 * MaxColors] = {};
    std::memcpy(block, fEntries.get(), std::size_t(fCount) * 3);
    stream.Write(block, std::size_t(3) << IndexBits());
}

void TGIFColorMap::SetTable(const std::uint8_t* rgbTriples, int n)
{
    ResetColors();
    n = std::clamp(n, 0, MaxColors);
    if (n == 0) return;
    EnsureCapacity(n);
    std::memcpy(fEntries.get(), rgbTriples, std::size_t(n) * 3);
    fCount = n;
}

void TGIFColorMap::Assign(const TGIFColorMap& source)
{
    if (&source == this) return;
    ResetColors();
    if (source.fCapacity) {
        fEntries = std::make_unique<std::uint8_t[]>(std::size_t(source.fCapacity) * 3);
        std::memcpy(fEntries.get(), source.fEntries.get(), std::size_t(source.fCount) * 3);
    }
    fCapacity = source.fCapacity;
    fCount = source.fCount;
    fSorted = source.fSorted;
}
