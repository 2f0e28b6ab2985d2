#pragma once
// Resource bounds of the GIF engine.
#include <cstdint>

// Pixel memory of one image: all frames' buffers together, and the logical
// screen (width x height), may not exceed this many bytes ("Image is too large").
inline constexpr std::uint64_t GIFMaxPixelBytes = std::uint64_t(1) << 30;
