#include <gtest/gtest.h>

#include "gif/FrameImport.h"
#include "gif/Palettes.h"
#include "tests/gifsupport/GIFTestSupport.h"

namespace {

TEST(AddFrame, EightBitBitmapKeepsItsWholeTableAndPixelBytes)
{
    TBitmap bitmap(5, 3, TPixelFormat::pf8bit);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x) bitmap.SetPixelIndex(x, y, unsigned(y * 5 + x) * 17 % 256);
    TGIFImage image;
    std::vector<std::string> warnings;
    image.WarningHandler = [&](const TGIFPersistent*, int, const std::string& m) { warnings.push_back(m); };
    EXPECT_EQ(AddFrame(image, bitmap), 0);
    const TGIFSubImage& frame = *image.Images()[0];
    EXPECT_EQ(frame.ColorMap().EntryCount(), 256);
    for (int i = 0; i < 256; ++i) {
        const TRGB c = HalftonePalette()[std::size_t(i)];
        ASSERT_EQ(frame.ColorMap().Color(i), GIFColor(c.Red, c.Green, c.Blue));
    }
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x) EXPECT_EQ(frame.Pixel(x, y), bitmap.PixelIndex(x, y));
    EXPECT_TRUE(frame.Extensions().Empty());
    EXPECT_FALSE(frame.Transparent());
    EXPECT_EQ(image.Width(), 5);
    EXPECT_EQ(image.Height(), 3);
    EXPECT_TRUE(warnings.empty());

    AddFrame(image, TBitmap(6, 4, TPixelFormat::pf8bit));  // larger: the screen grows, with warnings
    EXPECT_EQ(warnings, (std::vector<std::string>{
                            "Image width too small for contained frames", "Image exceeds Logical Screen size",
                            "Image height too small for contained frames", "Image exceeds Logical Screen size"}));
    EXPECT_EQ(image.Width(), 6);
}

TEST(AddFrame, OneFourAndTwentyFourBitBitmapsKeepTheirColors)
{
    TGIFImage image;
    TBitmap mono(10, 2, TPixelFormat::pf1bit);
    mono.SetPixelIndex(9, 1, 0);
    TGIFSubImage& monoFrame = *image.Images()[AddFrame(image, mono)];
    EXPECT_EQ(ColorsOf(monoFrame.ColorMap()), (std::vector<TGIFColor>{kBlack, kWhite}));
    EXPECT_EQ(monoFrame.Pixel(9, 1), 0);
    EXPECT_EQ(monoFrame.Pixel(8, 1), 1);

    TBitmap sixteen(3, 1, TPixelFormat::pf4bit);
    sixteen.SetPixelIndex(0, 0, 9);
    sixteen.SetPixelIndex(1, 0, 12);
    TGIFSubImage& nibbleFrame = *image.Images()[AddFrame(image, sixteen)];
    EXPECT_EQ(ColorAtPixel(nibbleFrame, 0, 0), kRed);
    EXPECT_EQ(ColorAtPixel(nibbleFrame, 1, 0), kBlue);
    EXPECT_EQ(ColorAtPixel(nibbleFrame, 2, 0), kWhite);

    TBitmap truecolor(300, 1);
    for (int x = 0; x < 300; ++x) truecolor.SetPixelColor(x, 0, {std::uint8_t(x % 200), 7, 9});
    TGIFSubImage& trueFrame = *image.Images()[AddFrame(image, truecolor)];
    EXPECT_EQ(trueFrame.ColorMap().EntryCount(), 200);
    for (int x = 0; x < 300; x += 37) EXPECT_EQ(ColorAtPixel(trueFrame, x, 0), GIFColor(std::uint8_t(x % 200), 7, 9));
}

TEST(AddFrame, ManyColorsAreReducedOrRefused)
{
    TBitmap rich(400, 1);
    for (int x = 0; x < 400; ++x) rich.SetPixelColor(x, 0, {std::uint8_t(x % 256), std::uint8_t(x / 256 * 100), 0});
    TGIFImage image;
    TGIFSubImage& frame = *image.Images()[AddFrame(image, rich)];
    EXPECT_LE(frame.ColorMap().EntryCount(), 256);
    EXPECT_EQ(ColorAtPixel(frame, 255, 0), GIFColor(255, 0, 0));

    TGIFImage strict;
    strict.ReductionMethod = 0;
    EXPECT_THROW(AddFrame(strict, rich), GIFException);
    EXPECT_TRUE(strict.Images().Empty());
}

TEST(AddFrame, TransparentBitmapGivesATransparentFrame)
{
    TBitmap bitmap(3, 2, TPixelFormat::pf8bit);
    bitmap.SetPixelIndex(0, 0, 36 * 5);  // red; the rest stays white
    bitmap.Transparent = true;
    bitmap.HasTransparentColor = true;
    bitmap.TransparentColor = {255, 255, 255};
    TGIFImage image;
    TGIFSubImage& frame = *image.Images()[AddFrame(image, bitmap)];
    ASSERT_TRUE(frame.Transparent());
    EXPECT_EQ(frame.ColorMap().EntryCount(), 3);  // sorted: white, red; then the transparent black
    EXPECT_EQ(frame.TransparentIndex(), 2);
    EXPECT_EQ(ColorAtPixel(frame, 0, 0), kRed);
    EXPECT_EQ(frame.Pixel(2, 1), 2);

    // A table still full after sorting leaves no room for transparency.
    TBitmap full(16, 16, TPixelFormat::pf8bit);
    for (int i = 0; i < 256; ++i) full.SetPixelIndex(i % 16, i / 16, unsigned(i));
    full.Transparent = true;
    TGIFSubImage& opaque = *image.Images()[AddFrame(image, full)];
    EXPECT_FALSE(opaque.Transparent());
    EXPECT_EQ(opaque.ColorMap().EntryCount(), 256);
}

TEST(AddFrame, ReportsProgressEvery32Rows)
{
    TGIFImage image;
    int running = 0;
    image.ProgressHandler = [&](TGIFProgressStage stage, int, const std::string& message) {
        if (stage == TGIFProgressStage::Running && message == "Converting...") ++running;
    };
    AddFrame(image, TBitmap(4, 33, TPixelFormat::pf8bit));
    EXPECT_EQ(running, 2);
    TBitmap empty;
    AddFrame(image, empty);
    EXPECT_TRUE(image.Images()[1]->IsEmpty());
}

}  // namespace
