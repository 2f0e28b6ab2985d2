// Level 1's merge against what the screen shows (disposals included), the
// area a frame that restores to background is cut to, and the lowest
// transparent indices with the table entries they free.
#include <gtest/gtest.h>

#include "gif/FrameOptimizer.h"
#include "gif/ScreenMerge.h"
#include "tests/gifsupport/GIFTestSupport.h"

namespace {

TGIFImage& WithColors(TGIFImage& image)
{
    SetColors(image.GlobalColorMap(), {kRed, kGreen, kBlue, kWhite});
    return image;
}

TEST(ScreenMerge, ComparesWithWhatTheScreenShowsAfterEachDisposal)
{
    // A red square, a blue dot at (0, 0) disposed of in each way, the red
    // square again: its (0, 0) repeats the screen only where red is back.
    struct Case {
        int disposal;
        bool cornerRepeats;
    };
    for (const Case c : {Case{1, false}, Case{2, false}, Case{3, true}}) {
        SCOPED_TRACE(c.disposal);
        TGIFImage image;
        WithColors(image);
        AddTestFrame(image, 0, 0, 4, 4, std::vector<std::uint8_t>(16, 0));
        SetControl(AddTestFrame(image, 0, 0, 1, 1, {2}), 10, c.disposal);
        TGIFSubImage& last = AddTestFrame(image, 0, 0, 4, 4, std::vector<std::uint8_t>(16, 0));
        ASSERT_TRUE(MarkRepeatedPixels(image));
        ASSERT_TRUE(last.Transparent());
        EXPECT_EQ(last.IsWildcard(0), c.cornerRepeats);
        for (std::size_t i = 1; i < 16; ++i) EXPECT_TRUE(last.IsWildcard(i)) << i;
    }
}

TEST(ScreenMerge, TransparentPixelOverAColorOfItsTableTakesThatColor)
{
    TGIFImage image;
    WithColors(image);
    AddTestFrame(image, 0, 0, 3, 1, {0, 1, 1});
    TGIFSubImage& second = AddTestFrame(image, 0, 0, 3, 1, {1, 2, 3}, {kBlue, kBlack, kRed, kGreen});
    SetControl(second, 10, 0, 1);  // black is the transparent entry
    ASSERT_TRUE(MarkRepeatedPixels(image));
    EXPECT_EQ(PixelsOf(second), (std::vector<std::uint8_t>{2, 2, 3}));  // red under (0, 0), green kept
    EXPECT_TRUE(second.IsWildcard(0));
    EXPECT_FALSE(second.IsWildcard(1));  // red over green is shown
    EXPECT_TRUE(second.IsWildcard(2));
    EXPECT_EQ(second.TransparentIndex(), 1);
}

TEST(ScreenMerge, RestoringToBackgroundClearsWhatItDrewAndWhatTheNextFrameLeaves)
{
    // Pictures: R R R R R R, then R R G R R R (restored to background), then
    // R R R R R and nothing: the middle frame must clear its green and the
    // last pixel, which the last frame does not draw; the rest the last frame
    // draws again where the screen no longer shows it.
    TGIFImage image;
    WithColors(image);
    SetControl(AddTestFrame(image, 0, 0, 6, 1, std::vector<std::uint8_t>(6, 0)), 10);
    TGIFSubImage& middle = AddTestFrame(image, 0, 0, 6, 1, {0, 0, 1, 0, 0, 0});
    SetControl(middle, 10, 2);
    TGIFSubImage& last = AddTestFrame(image, 0, 0, 6, 1, {0, 0, 0, 0, 0, 3});
    SetControl(last, 10, 0, 3);
    OptimizeFrames(image);
    ASSERT_EQ(image.Images().Count(), 3);
    EXPECT_EQ(middle.Left(), 2);
    EXPECT_EQ(middle.Width(), 4);
    EXPECT_EQ(middle.GraphicControl()->DisposalMethod(), 2);
    EXPECT_EQ(last.Left(), 2);
    EXPECT_EQ(last.Width(), 3);
}

TEST(ScreenMerge, RestoringToBackgroundThatChangesNothingIsDropped)
{
    // The middle frame repeats the first, the last draws everything again.
    TGIFImage image;
    WithColors(image);
    SetControl(AddTestFrame(image, 0, 0, 2, 2, {0, 1, 1, 0}), 10);
    SetControl(AddTestFrame(image, 0, 0, 2, 2, {0, 1, 1, 0}), 20, 2);
    SetControl(AddTestFrame(image, 0, 0, 2, 2, {0, 1, 1, 2}), 10);
    OptimizeFrames(image);
    ASSERT_EQ(image.Images().Count(), 2);
    EXPECT_EQ(image.Images()[0]->GraphicControl()->DelayTime(), 30);
    EXPECT_EQ(image.Images()[1]->Width(), 1);  // only the changed pixel
}

TEST(ScreenMerge, LowestTransparentIndicesFreeTheEntriesAtTheEnd)
{
    TGIFImage image;
    SetColors(image.GlobalColorMap(), {kRed, kGreen, kBlue, kWhite, kBlack});
    image.Header().BackgroundIndex = 4;
    AddTestFrame(image, 0, 0, 2, 1, {0, 1});
    TGIFSubImage& global = AddTestFrame(image, 0, 0, 3, 1, {4, 1, 4});
    SetControl(global, 10, 0, 4);
    TGIFSubImage& local = AddTestFrame(image, 0, 0, 2, 1, {3, 2}, {kRed, kGreen, kBlue, kBlack});
    SetControl(local, 10, 0, 3);
    UseLowestTransparentIndices(image);
    EXPECT_EQ(global.TransparentIndex(), 0);
    EXPECT_EQ(PixelsOf(global), (std::vector<std::uint8_t>{0, 1, 0}));
    EXPECT_EQ(image.GlobalColorMap().EntryCount(), 2);
    EXPECT_EQ(image.Header().BackgroundIndex, 0);
    EXPECT_EQ(local.TransparentIndex(), 0);
    EXPECT_EQ(PixelsOf(local), (std::vector<std::uint8_t>{0, 2}));
    EXPECT_EQ(ColorsOf(local.ColorMap()), (std::vector<TGIFColor>{kRed, kGreen, kBlue}));
}

}  // namespace
