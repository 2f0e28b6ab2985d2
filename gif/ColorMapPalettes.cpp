// Color maps to and from the engine's palettes.
#include <algorithm>

#include "gif/GIFColorMap.h"

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

void TGIFColorMap::ImportPaletteHandle(const TPalette& palette)
{
    ImportEntries(*this, palette);
    if (fCount > 0) NotifyChanged();
}

void TGIFColorMap::ImportBitmapColorTable(const TBitmap& bitmap)
{
    ImportEntries(*this, bitmap.ColorTable());
    NotifyChanged();
}

std::shared_ptr<const TPalette> TGIFColorMap::CreatePaletteHandle() const
{
    if (fCount == 0) return nullptr;
    auto palette = std::make_shared<TPalette>();
    palette->reserve(std::size_t(fCount));
    for (int i = 0; i < fCount; ++i) {
        const TGIFColor c = Color(i);
        palette->push_back({std::uint8_t(c), std::uint8_t(c >> 8), std::uint8_t(c >> 16)});
    }
    return palette;
}
