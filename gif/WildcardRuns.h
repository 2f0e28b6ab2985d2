#pragma once
// Which wildcards of a frame are written as the transparent index. A
// transparent pixel among colored ones breaks the strings the LZW table has
// learned from the picture, while a long stretch of transparency becomes a
// few codes. So, in the order the pixels are written (interlaced passes when
// asked), a run of at least kTransparentRun pixels that are wildcards or
// already transparent is written transparent as a whole, and the wildcards of
// a shorter run keep their own colors.
#include <cstddef>
#include <cstdint>
#include <vector>

inline constexpr std::size_t kTransparentRun = 12;

// Row indices in the order they are written: natural, or the four
// interlaced passes.
std::vector<int> GIFRowOrder(int height, bool interlaced);

struct TTransparentRuns {
    // One bit per pixel (least significant first, rows top to bottom) for
    // the wildcards written transparent; empty when there are none.
    std::vector<std::uint8_t> Marks;
    // Whether a pixel that is not a wildcard shows the transparent index.
    bool TransparentShown = false;
};
TTransparentRuns TransparentWildcards(const std::uint8_t* pixels, const std::uint8_t* wildcards, int width, int height,
                                      bool interlaced, int transparentIndex);
