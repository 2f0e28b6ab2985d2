// Level 2's drawing for a screen of at most 8 bits: dithering to the web-safe cube.
#include <gtest/gtest.h>

#include "gif/FrameDither.h"
#include "gif/Palettes.h"
#include "tests/gifsupport/GIFTestSupport.h"

namespace {

TEST(DitherToWebSafe, CubeColorsStayTransparentPixelsTakeZeroGrayAverages)
{
    TGIFImage image;
    SetColors(image.GlobalColorMap(), {GIFColor(51, 102, 153), GIFColor(128, 128, 128), kRed});
    std::vector<std::uint8_t> pixels(16 * 16, 1);
    pixels[0] = 0;
    pixels[1] = 2;
    TGIFSubImage& frame = AddTestFrame(image, 0, 0, 16, 16, pixels);
    SetControl(frame, 0, 0, 2);
    const std::vector<std::uint8_t> out = DitherToWebSafe(frame, image.ColorMapOf(frame));
    ASSERT_EQ(out.size(), pixels.size());
    const TPalette& web = WebSafePalette();
    EXPECT_EQ(web[out[0]], (TRGB{51, 102, 153}));  // exact cube color, no error yet
    EXPECT_EQ(out[1], 0);                          // transparent
    // Mid gray dithers between two cube levels, averaging close to 128.
    int sum = 0;
    for (std::size_t i = 2 * 16; i < out.size(); ++i) {
        const TRGB c = web[out[i]];
        EXPECT_TRUE(c.Red == 102 || c.Red == 153) << i;
        sum += c.Red;
    }
    EXPECT_NEAR(sum / (14.0 * 16.0), 128.0, 3.0);
    EXPECT_EQ(DitheredDrawingBytes(5, 3), 8u * 3 + 2u * 3);  // 32-bit rows, then 16-bit mask rows
}

}  // namespace
