#pragma once
// Pictures with 8-bit samples are recompressed here, without starting a
// tool: each lossless encoding the pixels allow (palette, grey, colour; with
// alpha, a transparent key colour or neither; the lowest bit depth) with each
// filter strategy, compressed by libdeflate at a quick level; the smallest
// then again at a strong level. Colour chunks and pHYs are written as the
// source has them, an sRGB profile as the sRGB chunk.

#include "PngChunks.h"

#include "compressors/verify/PngPixels.h"

#include <cstdint>
#include <optional>
#include <vector>

// Pictures of up to this many bytes of filtered image data are written here
// (4 megapixels of RGBA); larger ones, and those whose samples need 16 bits,
// go to the tools.
constexpr std::uint64_t kOwnEncodingRawBytes = 16 * 1024 * 1024;

// The smallest encoding of `pixels` (as DecodePng gives them), keeping the
// chunks of `facts`; nothing when a sample needs 16 bits. `strength` is the
// plug-in's: 3 (fastest) to 0 (strongest).
std::optional<std::vector<std::uint8_t>> EncodePng(const TPngPixels& pixels, const TPngFacts& facts, int strength);
