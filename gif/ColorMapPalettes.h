#pragma once
// Color maps to and from the drawing surface's palettes: the engine's
// palettes and bitmap color tables stand in for system palettes.
#include "gif/Bitmap.h"
#include "gif/GIFColorMap.h"
#include "gif/Palettes.h"

// Reset, then up to 256 entries of the palette; notifies unless it took none.
void ImportPaletteHandle(TGIFColorMap& map, const TPalette& palette);
// Reset, then up to 256 entries of the bitmap's color table; notifies.
void ImportBitmapColorTable(TGIFColorMap& map, const TBitmap& bitmap);
// A palette of the map's entries; none for an empty map.
TPaletteHandle CreatePaletteHandle(const TGIFColorMap& map);
