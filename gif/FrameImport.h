#pragma once
// Making GIF frames from bitmaps.

#include <memory>

#include "gif/Bitmap.h"
#include "gif/GIFImage.h"

// Replaces the frame's whole content with the bitmap: its size (at 0, 0), its
// colors as the local color map and its pixels. A bitmap of 24 bits with more
// than 256 colors is first brought to the web-safe palette (nearest color),
// unless the image's ReductionMethod is 0, when it fails with "Color table
// overflow". A bitmap marked transparent gives a transparent frame.
void AssignBitmap(TGIFSubImage& frame, const TBitmap& bitmap);

// A new frame made from the bitmap, appended to the image; returns its index.
// On a fault the image's frame list is unchanged.
int AddFrame(TGIFImage& image, const TBitmap& bitmap);
// Appends the frame unchanged; returns its index.
int AddFrame(TGIFImage& image, std::unique_ptr<TGIFSubImage> frame);
