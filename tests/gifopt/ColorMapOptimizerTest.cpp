#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <map>

#include "gif/ColorMapOptimizer.h"
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
    EXPECT_EQ(ColorAtPixel(*image.Images()[1], 0, 0), kBlue);
    EXPECT_EQ(ColorAtPixel(*image.Images()[1], 1, 0), kRed);
    EXPECT_EQ(ColorAtPixel(*image.Images()[1], 2, 0), kRed);
}

// 300 colors over two tables: 256 used twice or more are kept, 44 used once
// are mapped to the kept color at the smallest |dr| + |dg| + |db|.
TEST(OptimizeColorMaps, ColorsBeyond256MapToTheNearestKeptColor)
{
    std::vector<TGIFColor> kept, dropped;
    kept.push_back(kBlue);  // the old sum-of-channels measure picked this for red
    kept.push_back(GIFColor(250, 0, 0));
    for (int i = 0; kept.size() < 256; ++i)
        kept.push_back(GIFColor(std::uint8_t(10 + i % 16 * 15), std::uint8_t(20 + i / 16 * 13), 128));
    dropped.push_back(kRed);
    dropped.push_back(kGreen);
    for (int i = 0; dropped.size() < 44; ++i)
        dropped.push_back(GIFColor(std::uint8_t(i * 5), 255, std::uint8_t(i * 3)));

    // Frame 0: 200 kept colors, each 3 times (blue 9 times). Frame 1: the other
    // 56 kept colors twice each and the 44 dropped ones once.
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
    AddTestFrame(image, 0, 0, int(first.size()), 1, first, firstColors);
    AddTestFrame(image, 0, 0, int(second.size()), 1, second, secondColors);
    OptimizeColorMaps(image);

    const auto table = ColorsOf(image.GlobalColorMap());
    ASSERT_EQ(table.size(), 256u);
    EXPECT_EQ(table[0], kBlue);
    for (TGIFColor c : kept) EXPECT_NE(std::find(table.begin(), table.end(), c), table.end());
    const TGIFSubImage& frame = *image.Images()[1];
    EXPECT_EQ(ColorAtPixel(frame, 112, 0), GIFColor(250, 0, 0));  // red stays red
    for (std::size_t i = 0; i < dropped.size(); ++i) {
        const TGIFColor got = ColorAtPixel(frame, int(112 + i), 0);
        const int distance = ColorMapDistance(got, dropped[i]);
        for (std::size_t k = 0; k < table.size(); ++k) {
            const int other = ColorMapDistance(table[k], dropped[i]);
            ASSERT_GE(other, distance) << "color " << i;
            if (other == distance) {  // ties: the first kept color in table order
                EXPECT_EQ(table[k], got);
                break;
            }
        }
    }
    EXPECT_EQ(ColorMapDistance(kRed, kBlue), 510);
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
    EXPECT_EQ(ColorAtPixel(shown, 3, 0), kGreen);
    EXPECT_FALSE(unused.Transparent());
    EXPECT_EQ(ColorAtPixel(unused, 0, 0), kWhite);
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

TEST(OptimizeColorMaps, PixelPastItsTableWarnsAndBecomesZero)
{
    TGIFImage image;
    std::vector<std::string> warnings;
    image.WarningHandler = [&](const TGIFPersistent*, int, const std::string& m) { warnings.push_back(m); };
    AddTestFrame(image, 0, 0, 2, 1, {0, 7}, {kRed, kGreen});
    OptimizeColorMaps(image);
    EXPECT_EQ(ColorAtPixel(*image.Images()[0], 1, 0), kRed);
    EXPECT_NE(std::find(warnings.begin(), warnings.end(), "Color not in color table"), warnings.end());
}

TEST(SortByUsage, OrderedMapKeepsEverythingButBecomesSorted)
{
    TGIFImage image;
    TGIFSubImage& frame = AddTestFrame(image, 0, 0, 3, 1, {0, 0, 1}, {kRed, kGreen, kBlue});
    EXPECT_TRUE(frame.ColorMap().SortByUsage());
    EXPECT_TRUE(frame.ColorMap().Sorted());
    EXPECT_EQ(ColorsOf(frame.ColorMap()), (std::vector<TGIFColor>{kRed, kGreen, kBlue}));  // unused blue stays
    EXPECT_EQ(PixelsOf(frame), (std::vector<std::uint8_t>{0, 0, 1}));
}

TEST(SortByUsage, ReversedMapIsReorderedAndLosesUnusedColors)
{
    TGIFImage image;
    TGIFSubImage& frame = AddTestFrame(image, 0, 0, 3, 1, {1, 1, 1}, {kRed, kGreen});
    SetControl(frame, 0, 0, 1);
    EXPECT_TRUE(frame.ColorMap().SortByUsage());
    EXPECT_EQ(ColorsOf(frame.ColorMap()), (std::vector<TGIFColor>{kGreen}));
    EXPECT_EQ(PixelsOf(frame), (std::vector<std::uint8_t>{0, 0, 0}));
    EXPECT_EQ(frame.TransparentIndex(), 0);

    TGIFImage shared;
    SetColors(shared.GlobalColorMap(), {kRed, kGreen, kBlue});
    AddTestFrame(shared, 0, 0, 2, 1, {2, 1});
    AddTestFrame(shared, 0, 0, 1, 1, {2});
    EXPECT_TRUE(shared.GlobalColorMap().SortByUsage());
    EXPECT_EQ(ColorsOf(shared.GlobalColorMap()), (std::vector<TGIFColor>{kBlue, kGreen}));
    EXPECT_EQ(PixelsOf(*shared.Images()[0]), (std::vector<std::uint8_t>{0, 1}));
    EXPECT_EQ(PixelsOf(*shared.Images()[1]), (std::vector<std::uint8_t>{0}));
}

TEST(SortByUsage, DoesNothingOnOneEntryOrWithoutFrames)
{
    TGIFImage image;
    TGIFSubImage& frame = AddTestFrame(image, 0, 0, 1, 1, {0}, {kRed});
    EXPECT_FALSE(frame.ColorMap().SortByUsage());
    EXPECT_FALSE(frame.ColorMap().Sorted());

    TGIFImage empty;
    SetColors(empty.GlobalColorMap(), {kRed, kGreen});
    EXPECT_FALSE(empty.GlobalColorMap().SortByUsage());
    EXPECT_FALSE(empty.GlobalColorMap().Sorted());
}

}  // namespace
