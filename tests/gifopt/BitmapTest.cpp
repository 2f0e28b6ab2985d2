#include <gtest/gtest.h>

#include "gif/Bitmap.h"
#include "gif/Canvas.h"
#include "gif/GIFException.h"
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

TEST(Bitmap, RowsArePaddedToFourBytes)
{
    EXPECT_EQ(TBitmap(1, 1, TPixelFormat::pf1bit).Stride(), 4u);
    EXPECT_EQ(TBitmap(33, 1, TPixelFormat::pf1bit).Stride(), 8u);
    EXPECT_EQ(TBitmap(9, 1, TPixelFormat::pf4bit).Stride(), 8u);
    EXPECT_EQ(TBitmap(5, 1, TPixelFormat::pf8bit).Stride(), 8u);
    EXPECT_EQ(TBitmap(5, 1, TPixelFormat::pf24bit).Stride(), 16u);
    EXPECT_EQ(RowBytes(9, 1, 2), 2u);
    EXPECT_EQ(RowBytes(17, 1, 2), 4u);
    TBitmap b(2, 3);
    EXPECT_THROW(b.ScanLine(3), GIFException);
    EXPECT_THROW(b.ScanLine(-1), GIFException);
}

TEST(Bitmap, PixelsRoundTripInEveryFormat)
{
    for (auto format : {TPixelFormat::pf1bit, TPixelFormat::pf4bit, TPixelFormat::pf8bit, TPixelFormat::pf24bit}) {
        TBitmap b(11, 3, format);
        const unsigned limit = format == TPixelFormat::pf24bit ? 0xFFFFFF : (1u << b.BitsPerPixel()) - 1;
        for (int x = 0; x < 11; ++x) b.SetPixelIndex(x, 1, (x * 7u) & limit);
        for (int x = 0; x < 11; ++x) {
            EXPECT_EQ(b.PixelIndex(x, 1), (x * 7u) & limit) << int(format) << " x " << x;
            EXPECT_EQ(b.PixelColor(x, 0), kWhite);  // neighbours untouched
            EXPECT_EQ(b.PixelColor(x, 2), kWhite);
        }
    }
}

TEST(Bitmap, NewBitmapIsWhiteAndKeepsWhiteThroughConversion)
{
    TBitmap canvas;
    canvas.SetWidth(7);
    canvas.SetHeight(5);
    EXPECT_EQ(canvas.PixelColor(6, 4), kWhite);
    canvas.SetPixelColor(2, 2, {250, 10, 5});
    canvas.SetPixelFormat(TPixelFormat::pf8bit);
    ASSERT_EQ(canvas.ColorTable().size(), 256u);
    EXPECT_EQ(canvas.PixelColor(0, 0), kWhite);
    EXPECT_EQ(canvas.PixelColor(2, 2), kRed);  // nearest halftone entry
    canvas.SetHeight(6);
    EXPECT_EQ(canvas.PixelColor(2, 2), kRed);
    EXPECT_EQ(canvas.PixelColor(2, 5), kWhite);
}

TEST(Bitmap, TransparencyMaskMarksTheTransparentColor)
{
    TBitmap b(3, 2);
    b.SetPixelColor(1, 0, kRed);
    b.SetPixelColor(0, 1, kRed);  // bottom-left pixel picks the key color
    EXPECT_FALSE(b.TransparencyMask().PixelIndex(1, 0));
    b.Transparent = true;
    TBitmap mask = b.TransparencyMask();
    EXPECT_EQ(mask.PixelFormat(), TPixelFormat::pf1bit);
    EXPECT_EQ(mask.PixelIndex(1, 0), 1u);
    EXPECT_EQ(mask.PixelIndex(0, 1), 1u);
    EXPECT_EQ(mask.PixelIndex(0, 0), 0u);
    b.HasTransparentColor = true;
    b.TransparentColor = kWhite;
    EXPECT_EQ(b.TransparencyMask().PixelIndex(0, 0), 1u);
}

TEST(Canvas, DrawingPlacesMatchesColorsAndHonoursTheMask)
{
    TBitmap canvas(6, 4);
    canvas.SetPixelFormat(TPixelFormat::pf8bit);
    TBitmap tile(2, 2, TPixelFormat::pf8bit);
    tile.SetColorTable({{250, 2, 3}, {0, 0, 240}});
    tile.SetPixelIndex(0, 0, 0);
    tile.SetPixelIndex(1, 0, 1);
    tile.SetPixelIndex(0, 1, 1);
    tile.SetPixelIndex(1, 1, 0);

    TBitmap mask = TBitmap::FromMonoRows(2, 2, std::vector<std::uint8_t>{0x80, 0, 0x40, 0}.data(), 2);
    TransparentBlit(canvas, {3, 1, 5, 3}, tile, mask);
    EXPECT_EQ(canvas.PixelColor(3, 1), kWhite);             // masked
    EXPECT_EQ(canvas.PixelColor(4, 1), (TRGB{0, 0, 255}));  // nearest entry
    EXPECT_EQ(canvas.PixelColor(3, 2), (TRGB{0, 0, 255}));
    EXPECT_EQ(canvas.PixelColor(4, 2), kWhite);  // masked
    EXPECT_EQ(canvas.PixelColor(2, 1), kWhite);
    EXPECT_EQ(canvas.PixelColor(5, 1), kWhite);

    StretchDraw(canvas, {4, 2, 8, 6}, tile);  // doubled, clipped at the edges
    EXPECT_EQ(canvas.PixelColor(4, 2), kRed);
    EXPECT_EQ(canvas.PixelColor(5, 3), kRed);
    EXPECT_EQ(canvas.PixelColor(4, 3), kRed);

    TBitmap truecolor(2, 1);
    StretchDraw(truecolor, {0, 0, 2, 1}, tile);
    EXPECT_EQ(truecolor.PixelColor(0, 0), (TRGB{250, 2, 3}));  // exact on 24 bits
}

}  // namespace
