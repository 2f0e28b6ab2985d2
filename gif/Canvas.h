#pragma once
// Drawing one bitmap onto another: stretched copy with nearest-color matching
// into the destination's color table, and the masked copy.

#include "gif/Bitmap.h"

// Draws `source` stretched into `target` on `destination` (clipped to it).
// Each drawn color becomes the nearest color of the destination's table
// (exact for a 24-bit destination); no dithering.
void StretchDraw(TBitmap& destination, const TBitmapRect& target, const TBitmap& source);

// As StretchDraw, but the destination keeps its pixel wherever the matching
// bit of `mask` (a 1-bit bitmap of the source's size) is 1.
void TransparentBlit(TBitmap& destination, const TBitmapRect& target, const TBitmap& source, const TBitmap& mask);
