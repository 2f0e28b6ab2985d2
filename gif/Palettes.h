#pragma once
// Colors of the level-2 canvas: fixed palettes and nearest-color matching.

#include <array>
#include <cstdint>
#include <memory>
#include <unordered_map>
#include <vector>

struct TRGB {
    std::uint8_t Red = 0, Green = 0, Blue = 0;
    friend bool operator==(const TRGB&, const TRGB&) = default;
};
using TPalette = std::vector<TRGB>;

// 256 entries: the 6 x 6 x 6 cube of levels 0, 51, ..., 255 (entry
// 36 r + 6 g + b) followed by 40 grays between black and white.
const TPalette& HalftonePalette();
// 216 entries; entry 36 r + 6 g + b has red 51 r, green 51 g, blue 51 b.
const TPalette& WebSafePalette();

// Squared distance in RGB space.
inline int ColorDistance(TRGB a, TRGB b)
{
    const int dr = a.Red - b.Red, dg = a.Green - b.Green, db = a.Blue - b.Blue;
    return dr * dr + dg * dg + db * db;
}

// Index of the nearest entry (first one on ties); 0 for an empty palette.
int NearestIndex(const TPalette& palette, TRGB color);

// Nearest-color lookups into one palette, remembering colors already matched.
class TNearestColor {
public:
    explicit TNearestColor(const TPalette& palette);
    int Find(TRGB color);
    // Translation of all 256 indices of `from` into this palette (indices
    // past its end stand for black).
    std::array<std::uint8_t, 256> Translation(const TPalette& from);

private:
    const TPalette& palette_;
    std::unordered_map<std::uint32_t, int> cache_;
};
