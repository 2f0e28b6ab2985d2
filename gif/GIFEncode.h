#pragma once
// Writing the object model as a GIF (TGIFImage::WriteTo and the savers come
// from here too).
#include "gif/GIFImage.h"

// What the writing of a frame takes from its image.
struct TGIFFrameCoding {
    // The largest IndexBits of all the image's color maps: the code width of
    // a frame without a local map.
    int MaxIndexBits = 0;
    TGIFCompression Compression = TGIFCompression::LZW;
};
TGIFFrameCoding FrameCoding(const TGIFImage& image);

// Signature, header with fresh PackedFields, global map, the frames, the
// trailer. "Unsupported GIF version" for an image without frames.
void WriteGIF(TStream& stream, TGIFImage& image);

// Extensions, then (unless empty) descriptor, local map and image data. A
// frame with wildcards is written in the shorter of two ways (see .cpp).
void WriteFrame(TStream& stream, TGIFSubImage& frame, const TGIFFrameCoding& coding);

// The frame's image data; the pixels marked in `transparent` (one bit each)
// are written as the transparent index. The first `rows` rows only (in
// natural order when fewer than all); -1: all.
void EncodePixels(TStream& stream, const TGIFSubImage& frame, const TGIFFrameCoding& coding,
                  const std::uint8_t* transparent = nullptr, int rows = -1);
