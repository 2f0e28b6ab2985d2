#include <gtest/gtest.h>

#include "gif/Palettes.h"

namespace {

const TRGB kWhite{255, 255, 255};
const TRGB kRed{255, 0, 0};

TEST(Palettes, FixedPalettesHaveTheirShape)
{
    const TPalette& halftone = HalftonePalette();
    ASSERT_EQ(halftone.size(), 256u);
    EXPECT_EQ(halftone[0], (TRGB{0, 0, 0}));
    EXPECT_EQ(halftone[215], kWhite);
    EXPECT_EQ(halftone[36 * 5], kRed);

    const TPalette& web = WebSafePalette();
    ASSERT_EQ(web.size(), 216u);
    EXPECT_EQ(web[36 * 1 + 6 * 2 + 3], (TRGB{51, 102, 153}));

    // Every color of the cube lies close to some halftone entry.
    for (int r = 0; r < 256; r += 15)
        for (int g = 0; g < 256; g += 15)
            for (int b = 0; b < 256; b += 15) {
                const TRGB c{std::uint8_t(r), std::uint8_t(g), std::uint8_t(b)};
                EXPECT_LE(ColorDistance(c, halftone[std::size_t(NearestIndex(halftone, c))]), 3 * 26 * 26);
            }
}

}  // namespace
