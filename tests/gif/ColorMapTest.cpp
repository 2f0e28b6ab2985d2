// Color maps: capacity steps, search direction, index bits, padding on write, errors.
#include <gtest/gtest.h>

#include "tests/gifsupport/GIFTestSupport.h"

namespace {

struct MapFixture : ImageFixture {
    TGIFColorMap& map = image.GlobalColorMap();
    void Fill(int n)
    {
        for (int i = 0; i < n; ++i) map.AppendColor(GIFColor(std::uint8_t(i), 0, 0));
    }
};

TEST_F(MapFixture, CapacityGrowsInStepsOf16Then32UpTo256)
{
    map.EnsureCapacity(10);
    EXPECT_EQ(map.Capacity(), 16);
    map.ResetColors();
    map.EnsureCapacity(33);
    EXPECT_EQ(map.Capacity(), 64);
    map.ResetColors();
    map.EnsureCapacity(300);
    EXPECT_EQ(map.Capacity(), 256);
    map.ResetColors();
    EXPECT_EQ(map.Capacity(), 0);
    EXPECT_EQ(map.Data(), nullptr);
}

TEST_F(MapFixture, AppendKeepsEntriesAcrossGrowthAndOverflowsAt256)
{
    Fill(256);
    EXPECT_EQ(map.EntryCount(), 256);
    EXPECT_EQ(map.Color(200), GIFColor(200, 0, 0));
    try {
        map.AppendColor(GIFColor(1, 2, 3));
        FAIL() << "no overflow";
    } catch (const GIFException& e) {
        EXPECT_STREQ(e.what(), "Color table overflow");
    }
    EXPECT_EQ(map.EntryCount(), 256);
    EXPECT_EQ(map.Color(255), GIFColor(255, 0, 0));
}

TEST_F(MapFixture, ColorsAreExchangedWithRedInTheLowByte)
{
    map.AppendColor(0x00332211);
    EXPECT_EQ(map.Data()[0], 0x11);
    EXPECT_EQ(map.Data()[1], 0x22);
    EXPECT_EQ(map.Data()[2], 0x33);
}

TEST_F(MapFixture, SearchDirectionFollowsSortedFlag)
{
    map.AppendColor(GIFColor(9, 9, 9));
    map.AppendColor(GIFColor(1, 2, 3));
    map.AppendColor(GIFColor(9, 9, 9));
    EXPECT_EQ(map.IndexOfColor(GIFColor(9, 9, 9)), 2);
    map.SetSorted(true);
    EXPECT_EQ(map.IndexOfColor(GIFColor(9, 9, 9)), 0);
    EXPECT_EQ(map.IndexOfColor(GIFColor(9, 9, 8)), -1);
    EXPECT_EQ(map.AddUniqueColor(GIFColor(1, 2, 3)), 1);
    EXPECT_EQ(map.AddUniqueColor(GIFColor(4, 4, 4)), 3);
    EXPECT_FALSE(map.Sorted());  // appending clears the flag
}

TEST_F(MapFixture, IndexBits)
{
    const std::pair<int, int> cases[] = {{0, 0}, {1, 1}, {2, 1}, {3, 2}, {5, 3}, {128, 7}, {129, 8}, {256, 8}};
    for (auto [count, bits] : cases) {
        map.ResetColors();
        Fill(count);
        EXPECT_EQ(map.IndexBits(), bits) << count << " entries";
    }
}

TEST_F(MapFixture, WritingPadsWithBlackToAPowerOfTwo)
{
    map.AppendColor(GIFColor(1, 2, 3));
    TMemoryStream one;
    map.SaveToStream(one);
    EXPECT_EQ(one.Bytes(), (Bytes{1, 2, 3, 0, 0, 0}));
    map.AppendColor(GIFColor(4, 5, 6));
    map.AppendColor(GIFColor(7, 8, 9));
    TMemoryStream three;
    map.SaveToStream(three);
    EXPECT_EQ(three.Bytes(), (Bytes{1, 2, 3, 4, 5, 6, 7, 8, 9, 0, 0, 0}));
    map.ResetColors();
    TMemoryStream none;
    map.SaveToStream(none);
    EXPECT_TRUE(none.Bytes().empty());
}

TEST_F(MapFixture, ColorAtFallsBackToEntryZeroOrFails)
{
    Fill(3);
    EXPECT_EQ(map.ColorAt(5), GIFColor(0, 0, 0));
    map.ResetColors();
    try {
        map.ColorAt(5);
        FAIL();
    } catch (const GIFException& e) {
        EXPECT_STREQ(e.what(), "Color table is empty");
    }
}

TEST_F(MapFixture, DeleteColorShiftsAndChecksIndex)
{
    Fill(4);
    map.SetSorted(true);
    map.DeleteColor(1);
    EXPECT_EQ(map.EntryCount(), 3);
    EXPECT_EQ(map.Color(1), GIFColor(2, 0, 0));
    EXPECT_FALSE(map.Sorted());
    EXPECT_THROW(map.DeleteColor(3), GIFException);
    EXPECT_THROW(map.DeleteColor(-1), GIFException);
}

TEST_F(MapFixture, LoadingAShortTableFails)
{
    Bytes five{1, 2, 3, 4, 5};
    TMemoryView view(five);
    try {
        map.LoadFromStream(view, 2);
        FAIL();
    } catch (const GIFException& e) {
        EXPECT_STREQ(e.what(), "Premature end of data");
    }
}

TEST_F(MapFixture, AssignAndSetTableCopyEntries)
{
    const std::uint8_t triples[] = {10, 20, 30, 40, 50, 60};
    map.SetTable(triples, 2);
    EXPECT_EQ(map.Color(1), GIFColor(40, 50, 60));
    map.SetSorted(true);
    TGIFSubImage frame(&image.Budget());
    frame.ColorMap().Assign(map);
    EXPECT_EQ(frame.ColorMap().EntryCount(), 2);
    EXPECT_TRUE(frame.ColorMap().Sorted());
}

}  // namespace
