#pragma once
// A frame drawn for a screen of at most 8 bits per pixel: its colors
// dithered to the web-safe palette.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "gif/GIFSubImage.h"

// Web-safe palette indices (entry 36 r + 6 g + b), Width x Height, by
// Floyd-Steinberg error diffusion in serpentine row order over the colors of
// `map`; the transparent pixels of a transparent frame take 0 and pass no
// error on. Indices past the map count as black.
std::vector<std::uint8_t> DitherToWebSafe(const TGIFSubImage& frame, const TGIFColorMap& map);

// Bytes a dithered drawing of a frame of this size is counted with (an
// 8-bit bitmap with 32-bit rows and a 1-bit mask with 16-bit rows).
std::uint64_t DitheredDrawingBytes(int width, int height);
