#include "gif/ScreenKeys.h"

#include "gif/GIFExtensions.h"
#include "gif/GIFSubImage.h"
#include "gif/PixelBits.h"

TScreenRect FrameRect(const TGIFSubImage& frame)
{
    return {frame.Left(), frame.Top(), frame.Left() + frame.Width(), frame.Top() + frame.Height()};
}

TScreenRect Intersection(const TScreenRect& a, const TScreenRect& b)
{
    return {std::max(a.Left, b.Left), std::max(a.Top, b.Top), std::min(a.Right, b.Right), std::min(a.Bottom, b.Bottom)};
}

TFrameKeys FrameKeys(const TGIFColorMap& map)
{
    TFrameKeys keys;
    for (int i = 0; i < 256; ++i)
        keys[std::size_t(i)] = i < map.EntryCount() ? map.Color(i) & 0xFFFFFF : TScreenKeys::kUnknown;
    return keys;
}

TScreenKeys::TScreenKeys(int width, int height, TGIFMemoryBudget& budget)
    : fWidth(std::max(width, 0)), fHeight(std::max(height, 0)), fBudget(budget)
{
    // The keys and room to save them once.
    const std::uint64_t bytes = 2 * sizeof(std::uint32_t) * std::uint64_t(fWidth) * std::uint64_t(fHeight);
    fBudget.Reserve(bytes);
    fCounted = bytes;
    try {
        fKeys.assign(std::size_t(fWidth) * std::size_t(fHeight), kNothing);
    } catch (...) {
        fBudget.Release(fCounted);
        throw;
    }
}

TScreenKeys::~TScreenKeys()
{
    fBudget.Release(fCounted);
}

TScreenRect TScreenKeys::Area(const TGIFSubImage& frame) const
{
    return {std::min(frame.Left(), fWidth), std::min(frame.Top(), fHeight),
            std::min(frame.Left() + frame.Width(), fWidth), std::min(frame.Top() + frame.Height(), fHeight)};
}

TScreenRect TScreenKeys::ShownBox(const TScreenRect& area) const
{
    TScreenRect box{area.Right, area.Bottom, area.Left, area.Top};
    for (int y = area.Top; y < area.Bottom; ++y) {
        const std::uint32_t* row = Row(y);
        int x = area.Left;
        while (x < area.Right && !IsColor(row[x])) ++x;
        if (x == area.Right) continue;
        int last = area.Right - 1;
        while (!IsColor(row[last])) --last;
        box.Left = std::min(box.Left, x);
        box.Right = std::max(box.Right, last + 1);
        box.Top = std::min(box.Top, y);
        box.Bottom = y + 1;
    }
    return box.IsEmpty() ? TScreenRect{} : box;
}

void TScreenKeys::Save(const TScreenRect& area)
{
    fSaved.clear();
    for (int y = area.Top; y < area.Bottom; ++y) fSaved.insert(fSaved.end(), Row(y) + area.Left, Row(y) + area.Right);
}

void TScreenKeys::Draw(const TGIFSubImage& frame, const TFrameKeys& keys, const TScreenRect& area)
{
    const int t = frame.ShownTransparentIndex();
    const std::size_t width = std::size_t(frame.Width());
    const std::uint8_t* pixels = frame.Pixels();
    const std::uint8_t* wild = frame.Wildcards();
    for (int y = area.Top; y < area.Bottom; ++y) {
        const std::uint8_t* from = pixels + std::size_t(y - frame.Top()) * width - std::size_t(frame.Left());
        std::uint32_t* row = fKeys.data() + std::size_t(y) * std::size_t(fWidth);
        if (!wild) {
            for (int x = area.Left; x < area.Right; ++x) row[x] = from[x] != t ? keys[from[x]] : row[x];
            continue;
        }
        // A wildcard shows what is there already.
        const std::size_t base = std::size_t(from - pixels);
        for (int x = area.Left; x < area.Right; ++x)
            row[x] = from[x] != t && !TestBit(wild, base + std::size_t(x)) ? keys[from[x]] : row[x];
    }
}

void TScreenKeys::Clear(const TScreenRect& area)
{
    for (int y = area.Top; y < area.Bottom; ++y)
        std::fill(fKeys.data() + std::size_t(y) * std::size_t(fWidth) + area.Left,
                  fKeys.data() + std::size_t(y) * std::size_t(fWidth) + area.Right, kNothing);
}

void TScreenKeys::Restore(const TScreenRect& area)
{
    const std::uint32_t* from = fSaved.data();
    const std::size_t width = std::size_t(area.Right - area.Left);
    for (int y = area.Top; y < area.Bottom; ++y, from += width)
        std::copy(from, from + width, fKeys.data() + std::size_t(y) * std::size_t(fWidth) + area.Left);
}
