#pragma once
// GIF bytes written by giflib from a plain description, so that a test can
// spell out a source and outputs made wrong on purpose.

#include <cstdint>
#include <vector>

struct TFrameRecipe {
    int left = 0, top = 0, width = 0, height = 0;
    std::vector<std::uint8_t> pixels;  // width x height indices into the global map
    int delay = 0;                     // hundredths
    int disposal = 0;
    int transparent = -1;  // index, or -1
};

struct TGifRecipe {
    int width = 0, height = 0;
    int loop = -1;  // NETSCAPE2.0 loop count; -1 without the extension
    std::vector<TFrameRecipe> frames;
};

// The global map's 8 colours: 0 black, 1 white, 2 red (200,0,0), 3 a red
// within the fixed palette's reach of 2 (215,12,10), 4 blue, 5 green, 6 and 7 grey.
std::vector<std::uint8_t> MakeGif(const TGifRecipe& recipe);
