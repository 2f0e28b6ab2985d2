// Object model: file version, frame geometry and the logical screen, graphic
// control bookkeeping, pixel access and the pixel-memory bound.
#include <gtest/gtest.h>

#include "tests/gifsupport/GIFTestSupport.h"

namespace {

struct ModelFixture : ImageFixture {};

TEST_F(ModelFixture, FileVersionComesFromFramesOnly)
{
    EXPECT_EQ(image.FileVersion(), gvUnknown);
    auto* frame = AddFrame(1, 1);
    image.GlobalColorMap().AppendColor(0);
    image.GlobalColorMap().SetSorted(true);
    image.Header().AspectRatio = 49;
    EXPECT_EQ(image.Header().RequiredVersion(), gv89a);
    EXPECT_EQ(image.FileVersion(), gv87a);
    frame->ColorMap().AppendColor(0);
    frame->ColorMap().SetSorted(true);
    EXPECT_EQ(image.FileVersion(), gv89a);
    frame->ColorMap().SetSorted(false);
    frame->Extensions().Add(std::make_unique<TGIFCommentExtension>());
    EXPECT_EQ(image.FileVersion(), gv89a);
}

TEST_F(ModelFixture, TheScreenGrowsToTheFramesOnly)
{
    auto* frame = AddFrame(10, 10);
    EXPECT_EQ(image.Width(), 10);
    image.Header().ScreenWidth = 120;
    frame->SetLeft(100);
    frame->SetWidth(50);
    EXPECT_EQ(image.Width(), 120);  // a frame knows no screen
    image.FitScreenToFrames();
    EXPECT_EQ(image.Width(), 150);
    EXPECT_EQ(image.Height(), 10);
    EXPECT_EQ(frame->PixelsSize(), 500u);
    frame->SetLeft(0);
    image.FitScreenToFrames();  // never shrinks
    EXPECT_EQ(image.Width(), 150);
}

TEST_F(ModelFixture, ImageSizeCannotCutFrames)
{
    auto* frame = AddFrame(10, 20);
    frame->SetLeft(5);
    EXPECT_THROW(image.SetWidth(14), GIFException);
    EXPECT_THROW(image.SetHeight(19), GIFException);
    image.SetWidth(15);
    EXPECT_EQ(image.Width(), 15);
}

TEST_F(ModelFixture, ResizingReallocatesZeroPixels)
{
    auto* frame = AddFrame(3, 2);
    frame->SetPixel(2, 1, 7);
    EXPECT_EQ(frame->Pixel(2, 1), 7);
    EXPECT_EQ(frame->ScanLine(1)[2], 7);
    frame->SetTop(4);  // same size: pixels kept
    EXPECT_EQ(frame->Pixel(2, 1), 7);
    frame->SetWidth(4);
    EXPECT_EQ(frame->Pixel(2, 1), 0);
    EXPECT_THROW(frame->Pixel(4, 0), GIFException);
    EXPECT_THROW(frame->ScanLine(2), GIFException);
    EXPECT_THROW(frame->SetPixel(-1, 0, 1), GIFException);
}

TEST_F(ModelFixture, EmptyFramesAndEnsurePixels)
{
    TGIFSubImage frame(&image.Budget());
    EXPECT_TRUE(frame.IsEmpty());
    try {
        frame.EnsurePixels();
        FAIL();
    } catch (const GIFException& e) {
        EXPECT_STREQ(e.what(), "Image is empty");
    }
}

TEST_F(ModelFixture, EffectiveColorMapPrefersLocalThenGlobal)
{
    auto* frame = AddFrame(1, 1);
    EXPECT_EQ(&image.ColorMapOf(*frame), &frame->ColorMap());
    image.GlobalColorMap().AppendColor(1);
    EXPECT_EQ(&image.ColorMapOf(*frame), &image.GlobalColorMap());
    frame->ColorMap().AppendColor(2);
    EXPECT_EQ(&image.ColorMapOf(*frame), &frame->ColorMap());
}

TEST_F(ModelFixture, TheFirstGraphicControlHoldsTheTransparency)
{
    auto* frame = AddFrame(1, 1);
    EXPECT_EQ(frame->ShownTransparentIndex(), -1);
    auto* first = static_cast<TGIFGraphicControlExtension*>(
        frame->Extensions().Add(std::make_unique<TGIFGraphicControlExtension>()));
    auto* second = static_cast<TGIFGraphicControlExtension*>(
        frame->Extensions().Add(std::make_unique<TGIFGraphicControlExtension>()));
    EXPECT_EQ(frame->GraphicControl(), first);
    first->SetTransparentIndex(3);
    first->SetTransparentFlag(true);
    EXPECT_TRUE(frame->Transparent());
    EXPECT_EQ(frame->ShownTransparentIndex(), 3);
    frame->Extensions().Delete(0);
    EXPECT_EQ(frame->GraphicControl(), second);
    EXPECT_FALSE(frame->Transparent());
    EXPECT_EQ(frame->ShownTransparentIndex(), -1);
}

TEST_F(ModelFixture, GraphicControlFieldsKeepTheirBits)
{
    auto* frame = AddFrame(1, 1);
    TGIFGraphicControlExtension* gce = &frame->EnsureGraphicControl();
    EXPECT_EQ(&frame->EnsureGraphicControl(), gce);
    gce->SetDisposalMethod(9);  // low three bits only
    EXPECT_EQ(gce->DisposalMethod(), 1);
    gce->SetDelayTime(300);
    EXPECT_EQ(gce->DelayTime(), 300);
}

TEST_F(ModelFixture, ClearResetsImage)
{
    AddFrame(5, 5);
    image.GlobalColorMap().AppendColor(1);
    image.Header().BackgroundIndex = 3;
    image.Clear();
    EXPECT_TRUE(image.Empty());
    EXPECT_EQ(image.Width(), 0);
    EXPECT_EQ(image.GlobalColorMap().EntryCount(), 0);
    EXPECT_EQ(image.Header().BackgroundIndex, 3);
    EXPECT_EQ(image.PixelBytes(), 0u);
}

TEST_F(ModelFixture, FramesCountAgainstTheBudgetTheyWereMadeWith)
{
    AddFrame(2, 2);
    EXPECT_EQ(image.PixelBytes(), 4u);
    EXPECT_EQ(image.Budget().Used(), 4u);
    TGIFSubImage alone;
    alone.SetWidth(3);
    alone.SetHeight(3);
    EXPECT_EQ(alone.PixelsSize(), 9u);  // counted by no budget
    EXPECT_EQ(image.Budget().Used(), 4u);
    TGIFImage empty;  // without frames an image cannot be written
    TMemoryStream out;
    EXPECT_THROW(empty.WriteTo(out), GIFException);
}

TEST_F(ModelFixture, BadListIndicesRaiseTheEngineError)
{
    AddFrame(1, 1);
    for (int index : {-1, 1}) {
        try {
            image.Images()[index];
            FAIL() << index;
        } catch (const GIFException& e) {
            EXPECT_EQ(std::string(e.what()), "List index out of bounds (" + std::to_string(index) + ")");
        }
        EXPECT_THROW(image.Images().Delete(index), GIFException);
    }
    EXPECT_THROW(image.Images().Insert(2, image.NewFrame()), GIFException);
    image.Images().Insert(1, image.NewFrame());
    EXPECT_EQ(image.Images().Count(), 2);
}

TEST_F(ModelFixture, PixelMemoryIsBoundedOverAllFrames)
{
    // Two frames of just over 0.5 GiB each exceed the 1 GiB bound: the second fails before allocating.
    const int side = 23171;  // just over half a GiB each
    auto* first = image.Images().Add(image.NewFrame());
    first->SetWidth(side);
    EXPECT_EQ(first->PixelsSize(), 0u);  // height still 0
    first->SetHeight(side);
    EXPECT_EQ(image.PixelBytes(), std::uint64_t(side) * side);
    auto* second = image.Images().Add(image.NewFrame());
    second->SetWidth(side);
    try {
        second->SetHeight(side);
        FAIL();
    } catch (const GIFException& e) {
        EXPECT_STREQ(e.what(), "Image is too large");
    }
    image.Images().Delete(0);
    EXPECT_EQ(image.PixelBytes(), 0u);
}

}  // namespace
