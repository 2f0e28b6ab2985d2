#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <map>

#include "gif/ColorMapOptimizer.h"
#include "gif/ColorMapSort.h"
#include "tests/gifsupport/GIFTestSupport.h"

namespace {

TEST(OptimizeColorMaps, SharedRedAcrossTwoLocalMapsBecomesOneEntry)
{
    TGIFImage image;
    AddTestFrame(image, 0, 0, 3, 1, {0, 0, 1}, {kRed, kGreen});
    AddTestFrame(image, 0, 0, 3, 1, {0, 1, 1}, {kBlue, kRed});
    OptimizeColorMaps(image);

    const auto global = ColorsOf(image.GlobalColorMap());
    ASSERT_EQ(global.size(), 3u);
    EXPECT_EQ(global[0], kRed);  // 4 uses: the most used color comes first
    EXPECT_TRUE(image.GlobalColorMap().Sorted());
    for (auto& frame : image.Images()) EXPECT_EQ(frame->ColorMap().EntryCount(), 0);
    EXPECT_EQ(PixelsOf(*image.Images()[0]),
              (std::vector<std::uint8_t>{0, 0, std::uint8_t(global[1] == kGreen ? 1 : 2)}));
    EXPECT_EQ(ColorAtPixel(image, *image.Images()[1], 0, 0), kBlue);
    EXPECT_EQ(ColorAtPixel(image, *image.Images()[1], 1, 0), kRed);
    EXPECT_EQ(ColorAtPixel(image, *image.Images()[1], 2, 0), kRed);
}

// 300 colors over two tables: the 256 most used form the shared table; the
// frame that shows colors beyond them keeps a local table of its own colors,
// so that no pixel changes.
TEST(OptimizeColorMaps, ColorsBeyond256StayExactInALocalTable)
{
    std::vector<TGIFColor> kept, dropped;
    kept.push_back(kBlue);
    kept.push_back(GIFColor(250, 0, 0));
    for (int i = 0; kept.size() < 256; ++i)
        kept.push_back(GIFColor(std::uint8_t(10 + i % 16 * 15), std::uint8_t(20 + i / 16 * 13), 128));
    dropped.push_back(kRed);
    dropped.push_back(kGreen);
    for (int i = 1; dropped.size() < 44; ++i)
        dropped.push_back(GIFColor(std::uint8_t(i * 5), 255, std::uint8_t(i * 3)));

    // Frame 0: 200 kept colors, each 3 times (blue 9 times). Frame 1: the other
    // 56 kept colors twice each and the 44 dropped ones once, transparent
    // where its index 255 is. Frame 2: kept colors only, in a local table.
    TGIFImage image;
    std::vector<std::uint8_t> first, second;
    std::vector<TGIFColor> firstColors(kept.begin(), kept.begin() + 200);
    std::vector<TGIFColor> secondColors(kept.begin() + 200, kept.end());
    for (int i = 0; i < 200; ++i)
        for (int n = 0; n < (i == 0 ? 9 : 3); ++n) first.push_back(std::uint8_t(i));
    for (int i = 0; i < 56; ++i) second.insert(second.end(), 2, std::uint8_t(i));
    for (std::size_t i = 0; i < dropped.size(); ++i) {
        secondColors.push_back(dropped[i]);
        second.push_back(std::uint8_t(56 + i));
    }
    secondColors.resize(256, kWhite);
    second.push_back(255);
    TGIFSubImage& a = AddTestFrame(image, 0, 0, int(first.size()), 1, first, firstColors);
    TGIFSubImage& b = AddTestFrame(image, 0, 0, int(second.size()), 1, second, secondColors);
    SetControl(b, 0, 0, 255);
    TGIFSubImage& c = AddTestFrame(image, 0, 0, 2, 1, {0, 1}, {kept[1], kept[2]});
    std::vector<std::vector<TGIFColor>> before;
    for (TGIFSubImage* frame : {&a, &b, &c}) {
        before.emplace_back();
        for (int x = 0; x < frame->Width(); ++x) before.back().push_back(ColorAtPixel(image, *frame, x, 0));
    }
    OptimizeColorMaps(image);

    const auto table = ColorsOf(image.GlobalColorMap());
    ASSERT_EQ(table.size(), 256u);  // 255 colors and the transparent entry
    EXPECT_EQ(table[0], kBlue);
    EXPECT_EQ(a.ColorMap().EntryCount(), 0);
    EXPECT_EQ(c.ColorMap().EntryCount(), 0);
    // 100 colors and the transparent entry.
    EXPECT_EQ(b.ColorMap().EntryCount(), 101);
    ASSERT_TRUE(b.Transparent());
    EXPECT_EQ(b.TransparentIndex(), 100);
    EXPECT_EQ(b.Pixels()[b.PixelsSize() - 1], 100);
    int f = 0;
    for (TGIFSubImage* frame : {&a, &b, &c}) {
        for (int x = 0; x < frame->Width(); ++x) {
            if (frame == &b && x + 1 == frame->Width()) continue;  // the transparent pixel
            ASSERT_EQ(ColorAtPixel(image, *frame, x, 0), before[std::size_t(f)][std::size_t(x)]) << f << " " << x;
        }
        ++f;
    }
    EXPECT_EQ(ColorMapDistance(kRed, kBlue), 510);
}

TEST(OptimizeColorMaps, BackgroundIndexFollowsItsColor)
{
    // Frame pixels: red twice, blue, white (transparent in some cases); green
    // is not used at all. A kept background color keeps its entry; a dropped
    // one gives the transparent index, or 0.
    struct Case {
        int background;  // index in blue, green, red, white
        bool transparentFrame;
        int expected;  // -1: wherever the color went
    };
    for (const Case& test : {Case{2, false, -1}, Case{0, false, -1}, Case{3, false, -1}, Case{1, false, 0},
                             Case{1, true, 2}, Case{7, false, 0}}) {
        TGIFImage image;
        const std::vector<TGIFColor> colors{kBlue, kGreen, kRed, kWhite};
        SetColors(image.GlobalColorMap(), colors);
        image.Header().BackgroundIndex = std::uint8_t(test.background);
        TGIFSubImage& frame = AddTestFrame(image, 0, 0, 4, 1, {2, 2, 0, 3});
        if (test.transparentFrame) SetControl(frame, 0, 0, 3);
        OptimizeColorMaps(image);
        const int index = image.Header().BackgroundIndex;
        ASSERT_LT(index, image.GlobalColorMap().EntryCount()) << test.background;
        if (test.expected >= 0)
            EXPECT_EQ(index, test.expected) << test.background;
        else
            EXPECT_EQ(ColorsOf(image.GlobalColorMap())[std::size_t(index)], colors[std::size_t(test.background)]);
    }
}

TEST(OptimizeColorMaps, TransparencyReservesOneBlackEntry)
{
    TGIFImage image;
    SetColors(image.GlobalColorMap(), {kRed, kGreen, kBlue, kWhite});
    // Frame 0 shows transparent pixels; blue occurs only there.
    TGIFSubImage& shown = AddTestFrame(image, 0, 0, 4, 1, {0, 2, 2, 1});
    SetControl(shown, 0, 0, 2);
    // Frame 1 is marked transparent but never uses its index.
    TGIFSubImage& unused = AddTestFrame(image, 0, 0, 2, 1, {3, 0});
    SetControl(unused, 0, 0, 1);
    OptimizeColorMaps(image);

    const auto table = ColorsOf(image.GlobalColorMap());
    ASSERT_EQ(table.size(), 4u);  // red, green, white and the transparent entry
    EXPECT_EQ(table[3], kBlack);
    EXPECT_EQ(std::count(table.begin(), table.end(), kBlue), 0);
    EXPECT_TRUE(shown.Transparent());
    EXPECT_EQ(shown.TransparentIndex(), 3);
    EXPECT_EQ(PixelsOf(shown)[1], 3);
    EXPECT_EQ(ColorAtPixel(image, shown, 3, 0), kGreen);
    EXPECT_FALSE(unused.Transparent());
    EXPECT_EQ(ColorAtPixel(image, unused, 0, 0), kWhite);
}

TEST(OptimizeColorMaps, NoEntryIsReservedWithoutTransparentPixels)
{
    TGIFImage image;
    SetColors(image.GlobalColorMap(), {kRed, kGreen});
    TGIFSubImage& frame = AddTestFrame(image, 0, 0, 2, 1, {0, 0});
    SetControl(frame, 0, 0, 1);  // green is its transparent index but no pixel has it
    SetControl(AddTestFrame(image, 0, 0, 2, 1, {1, 1}), 5);
    OptimizeColorMaps(image);
    auto table = ColorsOf(image.GlobalColorMap());
    std::sort(table.begin(), table.end());
    EXPECT_EQ(table, (std::vector<TGIFColor>{kRed, kGreen}));  // equal use: any order
    EXPECT_FALSE(frame.Transparent());
}

TEST(OptimizeColorMaps, FullyTransparentImageKeepsOnlyTheTransparentEntry)
{
    TGIFImage image;
    SetColors(image.GlobalColorMap(), {kWhite, kBlack});
    TGIFSubImage& spacer = AddTestFrame(image, 0, 0, 1, 1, {1});
    SetControl(spacer, 0, 0, 1);
    ASSERT_NO_THROW(OptimizeColorMaps(image));
    EXPECT_EQ(ColorsOf(image.GlobalColorMap()), (std::vector<TGIFColor>{kBlack}));
    EXPECT_TRUE(spacer.Transparent());
    EXPECT_EQ(spacer.TransparentIndex(), 0);
    EXPECT_EQ(PixelsOf(spacer), (std::vector<std::uint8_t>{0}));
}

TEST(OptimizeColorMaps, ImageWithoutColorTablesIsLeftAsItIs)
{
    TGIFImage image;
    AddTestFrame(image, 0, 0, 2, 1, {0, 1});
    ASSERT_NO_THROW(OptimizeColorMaps(image));
    EXPECT_EQ(image.GlobalColorMap().EntryCount(), 0);
    EXPECT_EQ(PixelsOf(*image.Images()[0]), (std::vector<std::uint8_t>{0, 1}));
}

TEST(OptimizeColorMaps, PixelPastItsTableBecomesZero)
{
    TGIFImage image;
    AddTestFrame(image, 0, 0, 2, 1, {0, 7}, {kRed, kGreen});
    OptimizeColorMaps(image);
    EXPECT_EQ(ColorAtPixel(image, *image.Images()[0], 1, 0), kRed);
}

TEST(SortByUsage, OrderedMapKeepsEverythingButBecomesSorted)
{
    TGIFImage image;
    TGIFSubImage& frame = AddTestFrame(image, 0, 0, 3, 1, {0, 0, 1}, {kRed, kGreen, kBlue});
    EXPECT_TRUE(SortByUsage(image, frame.ColorMap()));
    EXPECT_TRUE(frame.ColorMap().Sorted());
    EXPECT_EQ(ColorsOf(frame.ColorMap()), (std::vector<TGIFColor>{kRed, kGreen, kBlue}));  // unused blue stays
    EXPECT_EQ(PixelsOf(frame), (std::vector<std::uint8_t>{0, 0, 1}));
}

TEST(SortByUsage, ReversedMapIsReorderedAndLosesUnusedColors)
{
    TGIFImage image;
    TGIFSubImage& frame = AddTestFrame(image, 0, 0, 3, 1, {1, 1, 1}, {kRed, kGreen});
    SetControl(frame, 0, 0, 1);
    EXPECT_TRUE(SortByUsage(image, frame.ColorMap()));
    EXPECT_EQ(ColorsOf(frame.ColorMap()), (std::vector<TGIFColor>{kGreen}));
    EXPECT_EQ(PixelsOf(frame), (std::vector<std::uint8_t>{0, 0, 0}));
    EXPECT_EQ(frame.TransparentIndex(), 0);

    TGIFImage shared;
    SetColors(shared.GlobalColorMap(), {kRed, kGreen, kBlue});
    AddTestFrame(shared, 0, 0, 2, 1, {2, 1});
    AddTestFrame(shared, 0, 0, 1, 1, {2});
    EXPECT_TRUE(SortByUsage(shared, shared.GlobalColorMap()));
    EXPECT_EQ(ColorsOf(shared.GlobalColorMap()), (std::vector<TGIFColor>{kBlue, kGreen}));
    EXPECT_EQ(PixelsOf(*shared.Images()[0]), (std::vector<std::uint8_t>{0, 1}));
    EXPECT_EQ(PixelsOf(*shared.Images()[1]), (std::vector<std::uint8_t>{0}));
}

TEST(SortByUsage, DoesNothingOnOneEntryOrWithoutFrames)
{
    TGIFImage image;
    TGIFSubImage& frame = AddTestFrame(image, 0, 0, 1, 1, {0}, {kRed});
    EXPECT_FALSE(SortByUsage(image, frame.ColorMap()));
    EXPECT_FALSE(frame.ColorMap().Sorted());

    TGIFImage empty;
    SetColors(empty.GlobalColorMap(), {kRed, kGreen});
    EXPECT_FALSE(SortByUsage(empty, empty.GlobalColorMap()));
    EXPECT_FALSE(empty.GlobalColorMap().Sorted());
}

}  // namespace
