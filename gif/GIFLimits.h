#pragma once
// Resource bounds of the GIF engine.
#include <cstdint>

// Pixel memory of one image: all frames' buffers together, and the logical
// screen (width x height), may not exceed this many bytes ("Image is too large").
// (A build may lower it with -DQWO_GIF_MAX_PIXEL_BYTES=N, as the fuzzer does.)
#ifdef QWO_GIF_MAX_PIXEL_BYTES
inline constexpr std::uint64_t GIFMaxPixelBytes = QWO_GIF_MAX_PIXEL_BYTES;
#else
inline constexpr std::uint64_t GIFMaxPixelBytes = std::uint64_t(1) << 30;
#endif
