#include "gif/Canvas.h"

#include <algorithm>
#include <vector>

#include "gif/GIFException.h"
#include "gif/Palettes.h"

namespace {

void Blit(TBitmap& destination, const TBitmapRect& target, const TBitmap& source, const TBitmap* mask)
{
    if (source.Empty() || target.Width() <= 0 || target.Height() <= 0) return;
    if (mask && (mask->Width() != source.Width() || mask->Height() != source.Height()))
        throw GIFException("Mask does not match the bitmap");
    const int x0 = std::max(target.Left, 0), x1 = std::min(target.Right, destination.Width());
    const int y0 = std::max(target.Top, 0), y1 = std::min(target.Bottom, destination.Height());
    if (x0 >= x1 || y0 >= y1) return;

    // Source column of every destination column.
    std::vector<int> column(std::size_t(x1 - x0));
    for (int x = x0; x < x1; ++x)
        column[std::size_t(x - x0)] = int(std::int64_t(x - target.Left) * source.Width() / target.Width());

    const bool indexedSource = source.PixelFormat() != TPixelFormat::pf24bit;
    const bool indexedTarget = destination.PixelFormat() != TPixelFormat::pf24bit;
    TNearestColor nearest(destination.ColorTable());
    std::array<std::uint8_t, 256> table{};
    if (indexedSource && indexedTarget) table = nearest.Translation(source.ColorTable());
    const bool plain8 =
        source.PixelFormat() == TPixelFormat::pf8bit && destination.PixelFormat() == TPixelFormat::pf8bit;

    for (int y = y0; y < y1; ++y) {
        const int sy = int(std::int64_t(y - target.Top) * source.Height() / target.Height());
        const std::uint8_t* maskRow = mask ? mask->ScanLine(sy) : nullptr;
        if (plain8) {
            const std::uint8_t* from = source.ScanLine(sy);
            std::uint8_t* to = destination.ScanLine(y);
            for (int x = x0; x < x1; ++x) {
                const int sx = column[std::size_t(x - x0)];
                if (maskRow && (maskRow[sx >> 3] & (0x80 >> (sx & 7)))) continue;
                to[x] = table[from[sx]];
            }
            continue;
        }
        for (int x = x0; x < x1; ++x) {
            const int sx = column[std::size_t(x - x0)];
            if (maskRow && (maskRow[sx >> 3] & (0x80 >> (sx & 7)))) continue;
            if (indexedSource && indexedTarget)
                destination.SetPixelIndex(x, y, table[source.PixelIndex(sx, sy) & 0xFF]);
            else if (indexedTarget)
                destination.SetPixelIndex(x, y, unsigned(nearest.Find(source.PixelColor(sx, sy))));
            else
                destination.SetPixelColor(x, y, source.PixelColor(sx, sy));
        }
    }
}

}  // namespace

void StretchDraw(TBitmap& destination, const TBitmapRect& target, const TBitmap& source)
{
    Blit(destination, target, source, nullptr);
}

void TransparentBlit(TBitmap& destination, const TBitmapRect& target, const TBitmap& source, const TBitmap& mask)
{
    Blit(destination, target, source, &mask);
}
