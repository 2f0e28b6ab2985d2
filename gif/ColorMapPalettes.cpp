#include "gif/ColorMapPalettes.h"

#include <algorithm>

namespace {

void ImportEntries(TGIFColorMap& map, const TPalette& colors)
{
    map.ResetColors();
    const int n = int(std::min<std::size_t>(colors.size(), TGIFColorMap::MaxColors));
    if (n == 0) return;
    map.EnsureCapacity(n);
    for (int i = 0; i < n; ++i) map.SetColor(i, GIFColor(colors[i].Red, colors[i].Green, colors[i].Blue));
    map.SetEntryCount(n);
}

}  // namespace

void ImportPaletteHandle(TGIFColorMap& map, const TPalette& palette)
{
    ImportEntries(map, palette);
    if (map.EntryCount() > 0) map.NotifyChanged();
}

void ImportBitmapColorTable(TGIFColorMap& map, const TBitmap& bitmap)
{
    ImportEntries(map, bitmap.ColorTable());
    map.NotifyChanged();
}

TPaletteHandle CreatePaletteHandle(const TGIFColorMap& map)
{
    if (map.EntryCount() == 0) return nullptr;
    auto palette = std::make_shared<TPalette>();
    palette->reserve(std::size_t(map.EntryCount()));
    for (int i = 0; i < map.EntryCount(); ++i) {
        const TGIFColor c = map.Color(i);
        palette->push_back({std::uint8_t(c), std::uint8_t(c >> 8), std::uint8_t(c >> 16)});
    }
    return palette;
}
