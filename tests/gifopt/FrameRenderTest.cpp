#include <gtest/gtest.h>

#include "gif/Canvas.h"
#include "gif/FrameRenderer.h"
#include "gif/Palettes.h"
#include "tests/gifsupport/GIFTestSupport.h"

namespace {

const TRGB kWhiteRGB{255, 255, 255};

TBitmap WhiteCanvas(int width, int height)
{
    TBitmap canvas;
    canvas.SetWidth(width);
    canvas.SetHeight(height);
    canvas.SetPixelFormat(TPixelFormat::pf8bit);
    return canvas;
}

TEST(FrameRendering, MaskRowsAreSixteenBitAlignedAndMarkTransparentPixels)
{
    EXPECT_EQ(MaskRowBytes(9), 2u);
    EXPECT_EQ(MaskRowBytes(17), 4u);
    EXPECT_EQ(MaskRowBytes(16), 2u);
    for (int width : {9, 17}) {
        TGIFImage image;
        SetColors(image.GlobalColorMap(), {kRed, kGreen});
        std::vector<std::uint8_t> pixels(std::size_t(width) * 2, 0);
        pixels[std::size_t(width) - 1] = 1;  // last pixel of row 0
        pixels[std::size_t(width) + 8] = 1;  // ninth pixel of row 1
        TGIFSubImage& frame = AddTestFrame(image, 0, 0, width, 2, pixels);
        SetControl(frame, 0, 0, 1);
        ASSERT_TRUE(EnsureMask(frame));
        const TBitmap& mask = *FrameRendering(frame).FrameMask;
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < width; ++x)
                EXPECT_EQ(mask.PixelIndex(x, y), pixels[std::size_t(y * width + x)]) << width << ":" << x << "," << y;
    }
}

TEST(FrameRendering, RenderedBitmapHas256ColorsBlackBeyondTheMap)
{
    TGIFImage image;
    TGIFSubImage& frame = AddTestFrame(image, 0, 0, 2, 1, {1, 0}, {kRed, kGreen, kBlue});
    const TBitmap* bitmap = RenderFrameBitmap(frame);
    ASSERT_NE(bitmap, nullptr);
    EXPECT_EQ(bitmap->PixelFormat(), TPixelFormat::pf8bit);
    ASSERT_EQ(bitmap->ColorTable().size(), 256u);
    EXPECT_EQ(bitmap->ColorTable()[2], (TRGB{0, 0, 255}));
    EXPECT_EQ(bitmap->ColorTable()[3], (TRGB{0, 0, 0}));
    EXPECT_EQ(bitmap->ScanLine(0)[0], 1);
    EXPECT_EQ(RenderFrameBitmap(frame), bitmap);  // cached
}

TEST(DrawFrame, FrameLandsAtItsPlaceAndTransparentPixelsLeaveTheCanvas)
{
    TGIFImage image;
    image.Header().ScreenWidth = 50;
    image.Header().ScreenHeight = 70;
    SetColors(image.GlobalColorMap(), {kRed, kBlue});
    std::vector<std::uint8_t> pixels(30 * 40, 0);
    pixels[0] = 1;  // transparent corner
    TGIFSubImage& frame = AddTestFrame(image, 10, 20, 30, 40, pixels);
    SetControl(frame, 0, 0, 1);
    TBitmap canvas = WhiteCanvas(50, 70);
    const TBitmapRect screen{0, 0, 50, 70};
    EXPECT_EQ(ScaledFrameRect(frame, screen), (TBitmapRect{10, 20, 40, 60}));
    DrawFrame(frame, canvas, screen, true, false);
    for (int y = 0; y < 70; ++y)
        for (int x = 0; x < 50; ++x) {
            const bool inside = x >= 10 && x < 40 && y >= 20 && y < 60 && !(x == 10 && y == 20);
            ASSERT_EQ(canvas.PixelColor(x, y), (inside ? TRGB{255, 0, 0} : kWhiteRGB)) << x << "," << y;
        }

    // Not transparent: the marked pixel is drawn in its own color.
    TBitmap opaque = WhiteCanvas(50, 70);
    DrawFrame(frame, opaque, screen, false, false);
    EXPECT_EQ(opaque.PixelColor(10, 20), (TRGB{0, 0, 255}));
    // Half-size target: the frame is scaled with the screen.
    EXPECT_EQ(ScaledFrameRect(frame, {0, 0, 25, 35}), (TBitmapRect{5, 10, 20, 30}));
}

TEST(DrawFrame, UnusedTransparentIndexGivesNoMaskAndEmptyFramesDrawNothing)
{
    TGIFImage image;
    SetColors(image.GlobalColorMap(), {kRed, kBlue});
    TGIFSubImage& frame = AddTestFrame(image, 0, 0, 2, 1, {0, 0});
    SetControl(frame, 0, 0, 1);
    EXPECT_FALSE(EnsureMask(frame));
    TBitmap canvas = WhiteCanvas(2, 1);
    DrawFrame(frame, canvas, {0, 0, 2, 1}, true, false);
    EXPECT_EQ(canvas.PixelColor(1, 0), (TRGB{255, 0, 0}));

    TGIFSubImage& empty = *image.Images().Add(std::make_unique<TGIFSubImage>(&image));
    TBitmap untouched = WhiteCanvas(2, 1);
    EXPECT_EQ(RenderFrameBitmap(empty), nullptr);
    DrawFrame(empty, untouched, {0, 0, 2, 1}, true, false);
    EXPECT_EQ(untouched.PixelColor(0, 0), kWhiteRGB);
}

TEST(DrawFrame, TilingRepeatsTheFrameOverTheTarget)
{
    TGIFImage image;
    image.Header().ScreenWidth = 2;
    image.Header().ScreenHeight = 1;
    AddTestFrame(image, 1, 0, 1, 1, {0}, {kRed});
    TBitmap canvas(6, 2);
    DrawFrame(*image.Images()[0], canvas, {0, 0, 6, 2}, false, true);
    for (int x = 0; x < 6; ++x)
        for (int y = 0; y < 2; ++y)
            EXPECT_EQ(canvas.PixelColor(x, y), (x % 2 ? TRGB{255, 0, 0} : kWhiteRGB)) << x << "," << y;
}

TEST(FramePalettes, ComeFromTheMapsAndFailWithoutAny)
{
    TGIFImage image;
    SetColors(image.GlobalColorMap(), {kRed, kGreen});
    TGIFSubImage& global = AddTestFrame(image, 0, 0, 1, 1, {0});
    TGIFSubImage& local = AddTestFrame(image, 0, 0, 1, 1, {0}, {kBlue});
    EXPECT_EQ(*FramePalette(global), (TPalette{{255, 0, 0}, {0, 255, 0}}));
    EXPECT_EQ(*FramePalette(local), (TPalette{{0, 0, 255}}));
    EXPECT_EQ(ImagePalette(image), ImagePalette(image));  // cached

    TGIFImage bare;
    AddTestFrame(bare, 0, 0, 1, 1, {0});
    try {
        ImagePalette(bare);
        FAIL() << "no color table, no palette";
    } catch (const GIFException& e) {
        EXPECT_STREQ(e.what(), "No global or local color table defined");
    }
    TBitmap canvas(1, 1);
    EXPECT_THROW(DrawFrame(*bare.Images()[0], canvas, {0, 0, 1, 1}, true, false), GIFException);
}

TEST(FrameRendering, DitheredPathUsesTheWebSafeCube)
{
    TGIFImage image;
    image.Rendering.ScreenNeedsDither = true;
    SetColors(image.GlobalColorMap(), {GIFColor(51, 102, 153), GIFColor(128, 128, 128), kRed});
    std::vector<std::uint8_t> pixels(16 * 16, 1);
    pixels[0] = 0;
    pixels[1] = 2;
    TGIFSubImage& frame = AddTestFrame(image, 0, 0, 16, 16, pixels);
    SetControl(frame, 0, 0, 2);
    const TBitmap* bitmap = RenderFrameBitmap(frame);
    ASSERT_NE(bitmap, nullptr);
    EXPECT_EQ(bitmap->ColorTable()[0], (TRGB{0, 0, 0}));
    EXPECT_EQ(bitmap->ColorTable()[215], (TRGB{255, 255, 255}));
    EXPECT_EQ(bitmap->PixelColor(0, 0), (TRGB{51, 102, 153}));  // exact cube color, no error yet
    EXPECT_EQ(FrameRendering(frame).FrameMask->PixelIndex(1, 0), 1u);
    // Mid gray dithers between two cube levels, averaging close to 128.
    int sum = 0;
    for (int y = 2; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            const TRGB c = bitmap->PixelColor(x, y);
            EXPECT_TRUE(c.Red == 102 || c.Red == 153) << x << "," << y;
            sum += c.Red;
        }
    EXPECT_NEAR(sum / (14.0 * 16.0), 128.0, 3.0);
}

TEST(TDIBWriter, RejectsBadFormatsSizesAndRows)
{
    TBitmap target;
    EXPECT_THROW(TDIBWriter(target, nullptr, 1, 1, TPixelFormat::pf4bit), GIFException);
    EXPECT_THROW(TDIBWriter(target, nullptr, 0, 1, TPixelFormat::pf8bit), GIFException);
    TDIBWriter writer(target, &HalftonePalette(), 2, 3, TPixelFormat::pf24bit);
    EXPECT_THROW(writer.ScanLine(2), GIFException);
    writer.ScanLine(1)[0] = 7;
    writer.Release();
    EXPECT_EQ(target.Width(), 3);
    EXPECT_EQ(target.PixelColor(0, 1).Blue, 7);
}

TEST(FrameRendering, RenderAfterDecodeRendersEachFrameAsItIsRead)
{
    TGIFImage source;
    SetColors(source.GlobalColorMap(), {kRed, kGreen});
    AddTestFrame(source, 0, 0, 2, 1, {1, 0});
    const std::vector<std::uint8_t> bytes = source.SaveToBytes();

    for (bool on : {false, true}) {
        TGIFImage image;
        ApplyRenderOptions(image, {false, on});
        image.LoadFromBytes(bytes);
        TFrameRendering& cache = FrameRendering(*image.Images()[0]);
        ASSERT_EQ(cache.FrameBitmap != nullptr, on);
        if (on) {
            EXPECT_EQ(cache.FrameBitmap->PixelColor(0, 0), (TRGB{0, 255, 0}));
        }
    }
}

}  // namespace
