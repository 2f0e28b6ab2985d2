#include <gtest/gtest.h>

#include "gif/FrameCrop.h"
#include "gif/FrameOptimizer.h"
#include "gif/TransparentIndex.h"
#include "tests/gifsupport/GIFTestSupport.h"

namespace {

constexpr TGIFOptimizeSteps kMerge{.Crop = false, .Merge = true, .Cleanup = false, .ColorMaps = false};
constexpr TGIFOptimizeSteps kCleanup{.Crop = false, .Merge = false, .Cleanup = true, .ColorMaps = false};
constexpr TGIFOptimizeSteps kCleanupAndCrop{.Crop = true, .Merge = false, .Cleanup = true, .ColorMaps = false};

void Optimize(TGIFImage& image, const TGIFOptimizeSteps& steps = {})
{
    OptimizeFrames(image, steps);
}

// A 4 x 4 opaque frame of color index `fill` with index `dot` at (1, 2).
std::vector<std::uint8_t> Square(std::uint8_t fill, std::uint8_t dot)
{
    std::vector<std::uint8_t> pixels(16, fill);
    pixels[2 * 4 + 1] = dot;
    return pixels;
}

TGIFImage& WithColors(TGIFImage& image)
{
    SetColors(image.GlobalColorMap(), {kRed, kGreen, kBlue, kWhite});
    return image;
}

TEST(OptimizeFrames, SingleFrameIsCroppedAndStrippedOfIdleExtensions)
{
    TGIFImage image;
    WithColors(image);
    TGIFSubImage& frame = AddTestFrame(image, 2, 3, 4, 4, Square(3, 1));
    SetControl(frame, 50, 2, 3);
    AddLoop(frame, 0);
    Optimize(image);
    ASSERT_EQ(image.Images().Count(), 1);
    EXPECT_EQ(frame.Left(), 3);
    EXPECT_EQ(frame.Top(), 5);
    EXPECT_EQ(frame.Width(), 1);
    EXPECT_EQ(frame.Height(), 1);
    EXPECT_EQ(ColorAtPixel(image, frame, 0, 0), kGreen);
    EXPECT_EQ(frame.Extensions().Find<TGIFAppExtNSLoop>(), nullptr);
    ASSERT_NE(frame.GraphicControl(), nullptr);  // transparency keeps it

    TGIFImage plain;
    WithColors(plain);
    TGIFSubImage& opaque = AddTestFrame(plain, 0, 0, 4, 4, Square(0, 1));
    SetControl(opaque, 500, 2);
    Optimize(plain);
    EXPECT_EQ(opaque.GraphicControl(), nullptr);  // no transparency or input: removed whatever delay and disposal
    EXPECT_TRUE(opaque.Extensions().Empty());
    EXPECT_EQ(opaque.Width(), 4);
}

TEST(OptimizeFrames, IdenticalOpaqueFrameIsDroppedAndItsDelayKept)
{
    TGIFImage image;
    WithColors(image);
    AddTestFrame(image, 0, 0, 4, 4, Square(0, 1));  // no graphic control of its own
    SetControl(AddTestFrame(image, 0, 0, 4, 4, Square(0, 1)), 30);
    SetControl(AddTestFrame(image, 0, 0, 4, 4, Square(0, 2)), 5);
    Optimize(image);
    ASSERT_EQ(image.Images().Count(), 2);
    ASSERT_NE(image.Images()[0]->GraphicControl(), nullptr);
    EXPECT_EQ(image.Images()[0]->GraphicControl()->DelayTime(), 30);
    EXPECT_FALSE(image.Images()[0]->Transparent());

    // Left with one frame, the image needs no timing at all.
    TGIFImage still;
    WithColors(still);
    AddTestFrame(still, 0, 0, 4, 4, Square(0, 1));
    SetControl(AddTestFrame(still, 0, 0, 4, 4, Square(0, 1)), 30);
    Optimize(still);
    ASSERT_EQ(still.Images().Count(), 1);
    EXPECT_EQ(still.Images()[0]->GraphicControl(), nullptr);
}

TEST(OptimizeFrames, DelaysOfDroppedFramesAddUpAndSaturate)
{
    TGIFImage image;
    WithColors(image);
    SetControl(AddTestFrame(image, 0, 0, 4, 4, Square(0, 1)), 40000);
    SetControl(AddTestFrame(image, 0, 0, 4, 4, Square(0, 1)), 20000);
    SetControl(AddTestFrame(image, 0, 0, 4, 4, Square(0, 1)), 10000);
    SetControl(AddTestFrame(image, 0, 0, 4, 4, Square(0, 2)), 7);
    Optimize(image);
    ASSERT_EQ(image.Images().Count(), 2);
    EXPECT_EQ(image.Images()[0]->GraphicControl()->DelayTime(), 65535);
    EXPECT_EQ(image.Images()[1]->GraphicControl()->DelayTime(), 7);
    // The last frame changes one pixel only.
    EXPECT_EQ(image.Images()[1]->Width(), 1);
    EXPECT_EQ(image.Images()[1]->Left(), 1);
    EXPECT_EQ(image.Images()[1]->Top(), 2);
}

TEST(OptimizeFrames, MergeMakesRepeatedPixelsWildcards)
{
    TGIFImage image;
    WithColors(image);
    AddTestFrame(image, 0, 0, 4, 4, Square(0, 1));
    SetControl(AddTestFrame(image, 0, 0, 4, 4, Square(2, 1)), 10);
    Optimize(image, kMerge);
    TGIFSubImage& second = *image.Images()[1];
    ASSERT_TRUE(second.Transparent());
    // The lowest index that no other pixel of the frame shows: no new entry.
    EXPECT_EQ(second.TransparentIndex(), 0);
    EXPECT_EQ(image.GlobalColorMap().EntryCount(), 4);
    // Same green in both frames: a wildcard that keeps its color.
    EXPECT_TRUE(second.IsWildcard(2 * 4 + 1));
    EXPECT_EQ(second.Pixel(1, 2), 1);
    EXPECT_TRUE(second.ShowsNothing(2 * 4 + 1, second.ShownTransparentIndex()));
    EXPECT_FALSE(second.IsWildcard(0));  // blue over red stays
    EXPECT_EQ(second.Pixel(0, 0), 2);
}

TEST(OptimizeFrames, MergeComparesColorsAcrossDifferentMaps)
{
    TGIFImage image;
    AddTestFrame(image, 0, 0, 2, 1, {0, 1}, {kRed, kGreen});
    AddTestFrame(image, 1, 0, 1, 1, {1}, {kBlue, kGreen});
    Optimize(image, kMerge);
    TGIFSubImage& second = *image.Images()[1];
    ASSERT_TRUE(second.Transparent());
    EXPECT_EQ(ColorsOf(second.ColorMap()), (std::vector<TGIFColor>{kBlue, kGreen}));
    EXPECT_EQ(second.TransparentIndex(), 0);
    EXPECT_TRUE(second.IsWildcard(0));
}

TEST(OptimizeFrames, FullColorMapWithEveryIndexShownIsNotMerged)
{
    std::vector<TGIFColor> full;
    for (int i = 0; i < 256; ++i) full.push_back(GIFColor(std::uint8_t(i), 0, 0));
    // 272 pixels: the second frame shows every index where it differs from
    // the first, and repeats it at pixel 0.
    std::vector<std::uint8_t> first(272, 0), second(272);
    first[256] = 1;
    for (std::size_t i = 0; i < second.size(); ++i) second[i] = std::uint8_t(i % 256);
    TGIFImage image;
    AddTestFrame(image, 0, 0, 17, 16, first, full);
    AddTestFrame(image, 0, 0, 17, 16, second, full);
    Optimize(image);
    ASSERT_EQ(image.Images().Count(), 2);
    EXPECT_FALSE(image.Images()[1]->Transparent());
    EXPECT_EQ(image.Images()[1]->Width(), 17);
}

TEST(OptimizeFrames, UnusedTransparencyIsDroppedBeforeMergeAndCrop)
{
    TGIFImage image;
    WithColors(image);
    AddTestFrame(image, 0, 0, 4, 4, Square(0, 1));
    TGIFSubImage& second = AddTestFrame(image, 0, 0, 4, 4, Square(3, 3));
    SetControl(second, 10, 0, 2);  // index 2 never occurs
    Optimize(image, kCleanupAndCrop);
    EXPECT_FALSE(second.Transparent());
    ASSERT_NE(second.GraphicControl(), nullptr);  // the delay keeps the extension
    EXPECT_EQ(second.Width(), 4);
}

TEST(OptimizeFrames, NeedlessDisposalIsCleared)
{
    TGIFImage image;
    WithColors(image);
    TGIFSubImage& covered = AddTestFrame(image, 1, 1, 2, 2, {0, 0, 0, 0});
    SetControl(covered, 10, 2);
    AddTestFrame(image, 0, 0, 4, 4, Square(3, 1));  // opaque, covers frame 0 completely
    TGIFSubImage& partial = AddTestFrame(image, 0, 0, 4, 4, Square(1, 2));
    SetControl(partial, 10, 3);
    AddTestFrame(image, 1, 1, 2, 2, {2, 2, 2, 2});  // opaque, inside frame 2 only
    Optimize(image, kCleanup);
    EXPECT_EQ(covered.GraphicControl()->DisposalMethod(), 0);
    EXPECT_EQ(partial.GraphicControl()->DisposalMethod(), 3);

    // A covering frame that itself restores to previous brings the disposed
    // state back: the disposal of the frame under it stays.
    for (int disposal : {2, 3}) {
        TGIFImage restored;
        WithColors(restored);
        TGIFSubImage& under = AddTestFrame(restored, 1, 1, 2, 2, {0, 0, 0, 0});
        SetControl(under, 10, disposal);
        SetControl(AddTestFrame(restored, 0, 0, 4, 4, Square(3, 1)), 10, 3);
        AddTestFrame(restored, 3, 3, 1, 1, {2});
        Optimize(restored, kCleanup);
        EXPECT_EQ(under.GraphicControl()->DisposalMethod(), disposal);
    }
}

TEST(OptimizeFrames, MergeSkipsFramesRestoredToPrevious)
{
    TGIFImage image;
    WithColors(image);
    AddTestFrame(image, 0, 0, 4, 4, Square(0, 1));
    SetControl(AddTestFrame(image, 0, 0, 4, 4, Square(2, 2)), 10, 3);
    AddTestFrame(image, 0, 0, 4, 4, Square(0, 2));
    Optimize(image, kMerge);
    TGIFSubImage& last = *image.Images()[2];
    ASSERT_TRUE(last.Transparent());  // compared with frame 0, not frame 1
    EXPECT_TRUE(last.IsWildcard(0));
    EXPECT_EQ(last.Pixel(1, 2), 2);

    TGIFImage cleared;
    WithColors(cleared);
    SetControl(AddTestFrame(cleared, 0, 0, 4, 4, Square(0, 1)), 10, 2);
    SetControl(AddTestFrame(cleared, 0, 0, 4, 4, Square(2, 2)), 10, 3);
    AddTestFrame(cleared, 0, 0, 4, 4, Square(0, 2));
    Optimize(cleared, kMerge);
    EXPECT_FALSE(cleared.Images()[2]->Transparent());  // frame 0 restores to background
}

TEST(OptimizeFrames, ExtensionCleanupKeepsOnlyTheFirstLoop)
{
    TGIFImage image;
    WithColors(image);
    for (int i = 0; i < 3; ++i) {
        TGIFSubImage& frame = AddTestFrame(image, 0, 0, 4, 4, Square(std::uint8_t(i), 3));
        SetControl(frame, 10);
        AddLoop(frame, 3);
        auto comment = std::make_unique<TGIFCommentExtension>();
        comment->Lines = {"hello"};
        frame.Extensions().Add(std::move(comment));
        frame.Extensions().Add(std::make_unique<TGIFTextExtension>());
        frame.Extensions().Add(std::make_unique<TGIFUnknownAppExtension>());
    }
    Optimize(image);
    ASSERT_EQ(image.Images().Count(), 3);
    for (int i = 0; i < 3; ++i) {
        const TGIFExtensionList& extensions = image.Images()[i]->Extensions();
        EXPECT_EQ(extensions.Find<TGIFCommentExtension>(), nullptr);
        EXPECT_EQ(extensions.Find<TGIFTextExtension>(), nullptr);
        EXPECT_EQ(extensions.Find<TGIFUnknownAppExtension>(), nullptr);
        EXPECT_EQ(extensions.Find<TGIFAppExtNSLoop>() != nullptr, i == 0);
        EXPECT_NE(extensions.Find<TGIFGraphicControlExtension>(), nullptr);
    }
}

TEST(OptimizeFrames, LoopExtensionOnALaterFrameMovesToTheFirst)
{
    TGIFImage image;
    WithColors(image);
    for (int i = 0; i < 4; ++i) SetControl(AddTestFrame(image, 0, 0, 4, 4, Square(std::uint8_t(i), 3)), 10);
    AddLoop(*image.Images()[2], 7);  // the first one found wins
    AddLoop(*image.Images()[3], 2);
    Optimize(image);
    ASSERT_EQ(image.Images().Count(), 4);
    const auto* loop = image.Images()[0]->Extensions().Find<TGIFAppExtNSLoop>();
    ASSERT_NE(loop, nullptr);
    EXPECT_EQ(loop->LoopCount, 7);
    for (int i = 1; i < 4; ++i) EXPECT_EQ(image.Images()[i]->Extensions().Find<TGIFAppExtNSLoop>(), nullptr);
}

TEST(CropTransparentEdges, CutsToTheVisibleRectangleAndKeepsTheIndex)
{
    TGIFImage image;
    WithColors(image);
    std::vector<std::uint8_t> pixels(5 * 4, 3);
    pixels[1 * 5 + 1] = 0;
    pixels[2 * 5 + 3] = 1;
    pixels[2 * 5 + 2] = 3;
    TGIFSubImage& frame = AddTestFrame(image, 10, 20, 5, 4, pixels);
    SetControl(frame, 0, 0, 3);
    CropTransparentEdges(frame);
    EXPECT_EQ(frame.Left(), 11);
    EXPECT_EQ(frame.Top(), 21);
    EXPECT_EQ(frame.Width(), 3);
    EXPECT_EQ(frame.Height(), 2);
    EXPECT_EQ(PixelsOf(frame), (std::vector<std::uint8_t>{0, 3, 3, 3, 3, 1}));
    EXPECT_TRUE(frame.Transparent());
    EXPECT_EQ(frame.TransparentIndex(), 3);

    TGIFSubImage& blank = AddTestFrame(image, 0, 0, 2, 2, {3, 3, 3, 3});
    SetControl(blank, 10, 0, 3);
    CropTransparentEdges(blank);
    EXPECT_TRUE(blank.IsEmpty());
    EXPECT_TRUE(blank.Extensions().Empty());
    EXPECT_FALSE(blank.Transparent());
}

TEST(OptimizeFrames, NothingButTransparencyStaysOneTransparentPixel)
{
    TGIFImage image;
    WithColors(image);
    TGIFSubImage& spacer = AddTestFrame(image, 3, 4, 5, 6, std::vector<std::uint8_t>(30, 1));
    SetControl(spacer, 0, 0, 1);
    Optimize(image);
    ASSERT_EQ(image.Images().Count(), 1);
    EXPECT_EQ(spacer.Left(), 3);
    EXPECT_EQ(spacer.Top(), 4);
    EXPECT_EQ(spacer.Width(), 1);
    EXPECT_EQ(spacer.Height(), 1);
    EXPECT_TRUE(spacer.Transparent());
    EXPECT_EQ(spacer.Pixel(0, 0), spacer.TransparentIndex());
}

TEST(OptimizeFrames, FrameThatShowsADisposedStateIsKept)
{
    TGIFImage image;
    WithColors(image);
    SetControl(AddTestFrame(image, 0, 0, 4, 4, Square(0, 1)), 10, 0);
    SetControl(AddTestFrame(image, 1, 1, 2, 2, {2, 2, 2, 2}), 10, 2);
    SetControl(AddTestFrame(image, 0, 0, 1, 1, {3}), 10, 0, 3);  // blank: shows the cleared area
    Optimize(image);
    ASSERT_EQ(image.Images().Count(), 3);
    EXPECT_EQ(image.Images()[1]->Width(), 2);  // restore-to-background frames keep their size
    EXPECT_EQ(image.Images()[2]->GraphicControl()->DelayTime(), 10);
}

// A blank last frame with delay 0 after a frame that restores to background
// or to previous: the animation ends on what the disposal left, unless it
// loops forever (then the blank moment is skipped).
TEST(OptimizeFrames, BlankLastFrameOfAnEndingAnimationIsKept)
{
    struct Case {
        int disposal;
        int loop;  // -1: no loop extension
        bool kept;
    };
    for (const Case& test :
         {Case{2, -1, true}, Case{3, -1, true}, Case{2, 3, true}, Case{2, 0, false}, Case{1, -1, false}}) {
        SCOPED_TRACE(testing::Message() << test.disposal << " " << test.loop);
        TGIFImage image;
        WithColors(image);
        TGIFSubImage& first = AddTestFrame(image, 0, 0, 4, 4, Square(0, 1));
        SetControl(first, 10, 0);
        if (test.loop >= 0) AddLoop(first, std::uint16_t(test.loop));
        SetControl(AddTestFrame(image, 1, 1, 2, 2, {2, 2, 2, 2}), 10, test.disposal);
        SetControl(AddTestFrame(image, 0, 0, 3, 3, std::vector<std::uint8_t>(9, 3)), 0, 0, 3);
        Optimize(image);
        ASSERT_EQ(image.Images().Count(), test.kept ? 3 : 2);
        if (test.kept) {
            EXPECT_EQ(image.Images()[2]->Pixel(0, 0), image.Images()[2]->TransparentIndex());
        }
    }
}

TEST(OptimizeFrames, AnImageWithoutFramesIsLeftAlone)
{
    TGIFImage empty;
    SetColors(empty.GlobalColorMap(), {kRed, kGreen});
    EXPECT_NO_THROW(OptimizeFrames(empty));
    EXPECT_EQ(ColorsOf(empty.GlobalColorMap()), (std::vector<TGIFColor>{kRed, kGreen}));
}

TEST(ContainsIndex, SearchesOnlyTheGivenLength)
{
    const std::uint8_t bytes[] = {1, 2, 3};
    EXPECT_TRUE(ContainsIndex(bytes, 3, 3));
    EXPECT_FALSE(ContainsIndex(bytes, 3, 2));
    EXPECT_FALSE(ContainsIndex(nullptr, 0, 0));
}

}  // namespace
