#include "gif/Palettes.h"

namespace {

TPalette MakeCube()
{
    TPalette palette;
    palette.reserve(256);
    for (int r = 0; r < 6; ++r)
        for (int g = 0; g < 6; ++g)
            for (int b = 0; b < 6; ++b)
                palette.push_back({std::uint8_t(51 * r), std::uint8_t(51 * g), std::uint8_t(51 * b)});
    return palette;
}

TPalette MakeHalftone()
{
    TPalette palette = MakeCube();
    for (int k = 1; k <= 40; ++k) {
        const auto level = std::uint8_t((k * 255 + 20) / 41);
        palette.push_back({level, level, level});
    }
    return palette;
}

}  // namespace

const TPalette& HalftonePalette()
{
    static const TPalette palette = MakeHalftone();
    return palette;
}

const TPalette& WebSafePalette()
{
    static const TPalette palette = MakeCube();
    return palette;
}

int NearestIndex(const TPalette& palette, TRGB color)
{
    int best = 0;
    int bestDistance = 1 << 30;
    for (std::size_t i = 0; i < palette.size(); ++i) {
        const int d = ColorDistance(palette[i], color);
        if (d < bestDistance) {
            bestDistance = d;
            best = int(i);
            if (d == 0) break;
        }
    }
    return best;
}

TNearestColor::TNearestColor(const TPalette& palette) : palette_(palette) {}

int TNearestColor::Find(TRGB color)
{
    const std::uint32_t key = color.Red | (color.Green << 8) | (color.Blue << 16);
    auto found = cache_.find(key);
    if (found != cache_.end()) return found->second;
    const int index = NearestIndex(palette_, color);
    cache_.emplace(key, index);
    return index;
}

std::array<std::uint8_t, 256> TNearestColor::Translation(const TPalette& from)
{
    std::array<std::uint8_t, 256> table{};
    for (std::size_t i = 0; i < 256; ++i) table[i] = std::uint8_t(Find(i < from.size() ? from[i] : TRGB{}));
    return table;
}
