// Level 2 on small made animations: giflib composites source and output as a
// browser does, and every frame must show the source's picture in palette
// colors, transparent where the source is (PaletteMismatch).
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "compressors/CompressGIF.h"
#include "compressors/Compressors.h"
#include "tests/gifsupport/Decoders.h"
#include "tests/gifsupport/GIFTestSupport.h"
#include "tests/gifsupport/PaletteCheck.h"

namespace {

std::vector<std::uint8_t> Filled(int width, int height, std::uint8_t index)
{
    return std::vector<std::uint8_t>(std::size_t(width) * std::size_t(height), index);
}

// A 12 x 8 screen, one 8 x 6 frame at (2, 1): a blue ring around a
// transparent hole, a red dot; what the frame leaves uncovered stays clear.
Bytes TransparentLogo()
{
    TGIFImage image;
    image.Header().ScreenWidth = 12;
    image.Header().ScreenHeight = 8;
    SetColors(image.GlobalColorMap(), {kBlue, kRed, kWhite});
    std::vector<std::uint8_t> pixels = Filled(8, 6, 0);
    for (int y = 1; y < 5; ++y)
        for (int x = 1; x < 7; ++x) pixels[std::size_t(y * 8 + x)] = 2;
    pixels[2 * 8 + 3] = 1;
    SetControl(AddTestFrame(image, 2, 1, 8, 6, pixels), 0, 0, 2);
    return image.SaveToBytes();
}

// Frames that restore to background: a red square, a blue one beside it,
// then a green dot; each picture shows only the last frame drawn.
Bytes RestoreToBackground()
{
    TGIFImage image;
    image.Header().ScreenWidth = 10;
    image.Header().ScreenHeight = 6;
    SetColors(image.GlobalColorMap(), {kRed, kBlue, kGreen});
    TGIFSubImage& first = AddTestFrame(image, 0, 0, 5, 5, Filled(5, 5, 0));
    SetControl(first, 10, 2);
    AddLoop(first, 0);
    SetControl(AddTestFrame(image, 5, 1, 4, 4, Filled(4, 4, 1)), 20, 2);
    SetControl(AddTestFrame(image, 2, 2, 1, 1, {2}), 30, 2);
    return image.SaveToBytes();
}

// A red background kept, a blue box that restores to previous, then a green
// dot: the last picture is red with the dot, no blue.
Bytes RestoreToPrevious()
{
    TGIFImage image;
    SetColors(image.GlobalColorMap(), {kRed, kBlue, kGreen});
    SetControl(AddTestFrame(image, 0, 0, 6, 6, Filled(6, 6, 0)), 5, 1);
    SetControl(AddTestFrame(image, 1, 1, 3, 3, Filled(3, 3, 1)), 5, 3);
    SetControl(AddTestFrame(image, 5, 5, 1, 1, {2}), 5, 0);
    return image.SaveToBytes();
}

// The first frame restores to previous (to nothing) on a larger screen.
Bytes FirstFrameRestoresToPrevious()
{
    TGIFImage image;
    image.Header().ScreenWidth = 6;
    image.Header().ScreenHeight = 4;
    SetColors(image.GlobalColorMap(), {kRed, kBlue});
    SetControl(AddTestFrame(image, 0, 0, 3, 4, Filled(3, 4, 0)), 7, 3);
    SetControl(AddTestFrame(image, 3, 0, 3, 4, Filled(3, 4, 1)), 7, 0);
    return image.SaveToBytes();
}

// A picture repeated (its output frame is tiny) and then cleared around a
// dot: the frame before the clearing must reach over all of it.
Bytes ClearedAfterRepeat()
{
    TGIFImage image;
    SetColors(image.GlobalColorMap(), {kRed, kGreen});
    SetControl(AddTestFrame(image, 0, 0, 8, 8, Filled(8, 8, 0)), 10, 1);
    SetControl(AddTestFrame(image, 0, 0, 8, 8, Filled(8, 8, 0)), 10, 2);
    SetControl(AddTestFrame(image, 7, 7, 1, 1, {1}), 10, 1);
    return image.SaveToBytes();
}

// Unchanged frames with their own delays, looping.
Bytes RepeatedFrames()
{
    TGIFImage image;
    SetColors(image.GlobalColorMap(), {kRed, kBlue});
    TGIFSubImage& first = AddTestFrame(image, 0, 0, 4, 4, Filled(4, 4, 0));
    SetControl(first, 10, 1);
    AddLoop(first, 3);
    SetControl(AddTestFrame(image, 0, 0, 4, 4, Filled(4, 4, 0)), 20, 1);
    SetControl(AddTestFrame(image, 1, 1, 1, 1, {0}), 30, 1);
    SetControl(AddTestFrame(image, 3, 3, 1, 1, {1}), 40, 1);
    return image.SaveToBytes();
}

// 63 shades from black to red, and 63 grays, one column each.
Bytes Gradient()
{
    TGIFImage image;
    std::vector<TGIFColor> colors;
    for (int i = 0; i < 63; ++i) colors.push_back(GIFColor(std::uint8_t(i * 255 / 62), 0, 0));
    for (int i = 0; i < 63; ++i) {
        const auto v = std::uint8_t(i * 255 / 62);
        colors.push_back(GIFColor(v, v, v));
    }
    SetColors(image.GlobalColorMap(), colors);
    std::vector<std::uint8_t> pixels;
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 63; ++x) pixels.push_back(std::uint8_t(y < 2 ? x : 63 + x));
    AddTestFrame(image, 0, 0, 63, 4, pixels);
    return image.SaveToBytes();
}

struct TMadeCase {
    const char* Name;
    std::function<Bytes()> Make;
    int LoopCount;  // of the output, -1 without a loop extension
};
void PrintTo(const TMadeCase& made, std::ostream* out)
{
    *out << made.Name;
}

class MadeAnimations : public ::testing::TestWithParam<TMadeCase> {};

TEST_P(MadeAnimations, LevelTwoShowsEachPictureOfTheSource)
{
    if (!OracleAvailable()) GTEST_SKIP() << "giflib is missing";
    const Bytes source = GetParam().Make();
    const Bytes output = FlattenGIFBytes(source);
    EXPECT_EQ(PaletteMismatch(source, output), "");
    const auto decoded = CompositeWithGiflib(output);
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->LoopCount, GetParam().LoopCount);
}

INSTANTIATE_TEST_SUITE_P(Flatten, MadeAnimations,
                         ::testing::Values(TMadeCase{"TransparentLogo", TransparentLogo, -1},
                                           TMadeCase{"RestoreToBackground", RestoreToBackground, 0},
                                           TMadeCase{"RestoreToPrevious", RestoreToPrevious, -1},
                                           TMadeCase{"FirstFrameRestoresToPrevious", FirstFrameRestoresToPrevious, -1},
                                           TMadeCase{"ClearedAfterRepeat", ClearedAfterRepeat, -1},
                                           TMadeCase{"RepeatedFrames", RepeatedFrames, 3},
                                           TMadeCase{"Gradient", Gradient, -1}),
                         [](const auto& info) { return std::string(info.param.Name); });

// On a screen that needs dithering the frames are drawn dithered to the
// web-safe colors; transparency comes through all the same.
TEST(FlattenGIF, DitheredDrawingKeepsTransparency)
{
    if (!OracleAvailable()) GTEST_SKIP() << "giflib is missing";
    for (const auto& make : {TransparentLogo, RestoreToPrevious}) {
        const Bytes source = make();
        EXPECT_EQ(PaletteMismatch(source, FlattenGIFBytes(source, {true})), "");
    }
}

// The checker itself catches what the level must not do.
TEST(PaletteMismatch, CatchesLostTransparencyDroppedFramesAndFarColors)
{
    if (!OracleAvailable()) GTEST_SKIP() << "giflib is missing";
    const Bytes logo = TransparentLogo();
    TGIFImage opaque;
    opaque.LoadFromBytes(logo);
    opaque.Images()[0]->GraphicControl()->SetTransparentFlag(false);
    EXPECT_NE(PaletteMismatch(logo, opaque.SaveToBytes()).find("painted, transparent in the source"),
              std::string::npos);

    const Bytes frames = RepeatedFrames();
    TGIFImage shorter;
    shorter.LoadFromBytes(frames);
    shorter.Images().Delete(3);
    EXPECT_EQ(PaletteMismatch(frames, shorter.SaveToBytes()), "3 frames, source 4");

    TGIFImage recolored;
    recolored.LoadFromBytes(frames);
    SetColors(recolored.GlobalColorMap(), {GIFColor(255, 60, 0), kBlue});
    EXPECT_NE(PaletteMismatch(frames, recolored.SaveToBytes()).find("too far"), std::string::npos);
    SetColors(recolored.GlobalColorMap(), {GIFColor(230, 20, 10), kBlue});  // within the distance
    EXPECT_EQ(PaletteMismatch(frames, recolored.SaveToBytes()), "");
}

// All 256 palette colors and a transparent pixel leave no entry for
// transparency: level 2 has no output, and the file keeps its source bytes.
TEST(FlattenGIF, NoRoomForTransparencyKeepsTheSource)
{
    TGIFImage image;
    image.Header().ScreenWidth = 17;
    image.Header().ScreenHeight = 16;
    std::vector<TGIFColor> halftone;
    for (int r = 0; r < 6; ++r)
        for (int g = 0; g < 6; ++g)
            for (int b = 0; b < 6; ++b)
                halftone.push_back(GIFColor(std::uint8_t(51 * r), std::uint8_t(51 * g), std::uint8_t(51 * b)));
    for (int k = 1; k <= 40; ++k) {
        const auto v = std::uint8_t((k * 255 + 20) / 41);
        halftone.push_back(GIFColor(v, v, v));
    }
    SetColors(image.GlobalColorMap(), halftone);
    std::vector<std::uint8_t> pixels(256);
    for (int i = 0; i < 256; ++i) pixels[std::size_t(i)] = std::uint8_t(i);
    AddTestFrame(image, 0, 0, 16, 16, pixels);  // column 16 stays transparent
    TempDir dir;
    image.SaveToFile(dir / "full.gif");
    EXPECT_THROW(FlattenGIFBytes(LoadFile(dir / "full.gif")), GIFOutputLimit);
    FileSize original = 0, optimized = 0;
    CompressGIF(dir / "full.gif", dir / "out.gif", 2, original, optimized);
    EXPECT_EQ(LoadFile(dir / "out.gif"), LoadFile(dir / "full.gif"));
    EXPECT_EQ(optimized, original);
}

}  // namespace
