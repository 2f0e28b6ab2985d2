#pragma once
// Small pictures are recompressed here, without starting a tool: each
// lossless encoding the pixels allow (palette, grey, colour; with alpha, a
// transparent key colour or neither; the lowest bit depth) with each filter
// strategy, compressed by libdeflate at its strongest level; the smallest
// file wins. Colour chunks and pHYs are written as the source has them.

#include "PngChunks.h"

#include "compressors/verify/PngPixels.h"

#include <cstdint>
#include <optional>
#include <vector>

// Pictures whose filtered image data is at most this many bytes are small
// (a 256 x 256 RGBA icon, a 400 x 400 RGB screenshot): here they take at most
// about 0.15 s, where oxipng and zopflipng take longer for the same bytes.
constexpr std::uint64_t kSmallRawBytes = 512 * 1024;

// The smallest encoding of `pixels` (as DecodePng gives them), keeping the
// chunks of `facts`; nothing when a sample needs 16 bits.
std::optional<std::vector<std::uint8_t>> EncodeSmallPng(const TPngPixels& pixels, const TPngFacts& facts);
