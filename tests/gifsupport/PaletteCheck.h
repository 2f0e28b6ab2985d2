#pragma once
// The promise of GIF level 2, judged with giflib: both files composited as a
// browser shows them (CompositeWithGiflib) have the same number of frames,
// the same delay on each, the same transparent pixels in every frame, and
// every other pixel within the fixed palette's distance of the source's.

#include <cstdint>
#include <string>
#include <vector>

// The largest squared RGB distance from a color to its nearest entry of the
// halftone palette: each channel is at most 25 from a level of the cube.
inline constexpr int kPaletteDistance = 3 * 25 * 25;

// What differs, or "" when the output keeps that promise (also "giflib
// cannot read ..." when either file does not decode).
std::string PaletteMismatch(const std::vector<std::uint8_t>& source, const std::vector<std::uint8_t>& output);
