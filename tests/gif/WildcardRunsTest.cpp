// Which wildcards are written transparent: runs in written order (across
// rows, interlaced passes) of wildcards and transparent pixels, long enough.
#include <gtest/gtest.h>

#include <vector>

#include "gif/PixelBits.h"
#include "gif/WildcardRuns.h"

namespace {

std::vector<std::uint8_t> Bits(std::size_t count, const std::vector<std::size_t>& set)
{
    std::vector<std::uint8_t> bits((count + 7) / 8, 0);
    for (std::size_t at : set) SetBit(bits.data(), at);
    return bits;
}

std::vector<bool> Marked(const std::vector<std::uint8_t>& marks, std::size_t count)
{
    std::vector<bool> marked(count, false);
    for (std::size_t i = 0; i < count && !marks.empty(); ++i) marked[i] = TestBit(marks.data(), i);
    return marked;
}

TEST(WildcardRuns, RunsOfTwelveAtAnyOffsetAcrossRows)
{
    // Rows of 37 pixels: a run of wildcards starting anywhere in the first
    // sixteen pixels of row 0 or at the end of a row (so it crosses into the
    // next); pixel 5 of the run is transparent instead.
    const int width = 37, height = 3;
    const std::size_t count = std::size_t(width * height);
    for (std::size_t start : {0u, 1u, 5u, 7u, 8u, 9u, 15u, 30u, 33u, 36u}) {
        for (std::size_t length : {11u, 12u, 13u, 25u}) {
            SCOPED_TRACE(testing::Message() << "start " << start << " length " << length);
            std::vector<std::uint8_t> pixels(count, 1);
            std::vector<std::size_t> wild;
            for (std::size_t i = start; i < start + length; ++i) {
                if (i == start + 5)
                    pixels[i] = 9;  // transparent
                else
                    wild.push_back(i);
            }
            const TTransparentRuns runs =
                TransparentWildcards(pixels.data(), Bits(count, wild).data(), width, height, false, 9);
            EXPECT_TRUE(runs.TransparentShown);
            const std::vector<bool> marked = Marked(runs.Marks, count);
            for (std::size_t i = 0; i < count; ++i) {
                const bool inRun = i >= start && i < start + length;
                EXPECT_EQ(marked[i], inRun && length >= kTransparentRun) << i;
            }
        }
    }
}

TEST(WildcardRuns, InterlacedFramesRunInPassOrder)
{
    // Two pixels a row, eight rows, written 0 4 2 6 1 3 5 7: wildcards in rows
    // 0 4 2 6 1 3 make one run of twelve in that order, but not top down.
    std::vector<std::size_t> wild;
    for (std::size_t row : {0u, 4u, 2u, 6u, 1u, 3u}) wild.insert(wild.end(), {2 * row, 2 * row + 1});
    const std::vector<std::uint8_t> pixels(16, 1);
    const auto bits = Bits(16, wild);
    const TTransparentRuns runs = TransparentWildcards(pixels.data(), bits.data(), 2, 8, true, 0);
    EXPECT_FALSE(runs.TransparentShown);
    const std::vector<bool> interlaced = Marked(runs.Marks, 16);
    for (std::size_t i = 0; i < 16; ++i) EXPECT_EQ(interlaced[i], i < 14 && i != 10 && i != 11) << i;
    EXPECT_TRUE(TransparentWildcards(pixels.data(), bits.data(), 2, 8, false, 0).Marks.empty());
}

TEST(PixelBits, RangesValuesAndBitsAtAnyOffset)
{
    std::vector<std::uint8_t> bits(4, 0);
    SetBits(bits.data(), 3, 21);
    EXPECT_EQ(bits, (std::vector<std::uint8_t>{0xF8, 0xFF, 0x1F, 0}));
    EXPECT_EQ(BitsAt(bits.data(), 2, 32), 0xFEu);
    EXPECT_EQ(BitsAt(bits.data(), 17, 32), 0x0Fu);
    EXPECT_EQ(BitsAt(bits.data(), 17, 19), 0x3u);  // two bits left
    const std::uint8_t pixels[10] = {4, 4, 7, 0, 200, 4, 9, 9, 1, 3};
    const std::uint8_t skip[2] = {0x07, 0x01};  // pixels 0, 1, 2 and 8
    const TValueSets shown = ValuesShown(pixels, 10, skip);
    for (int v : {0, 200, 4, 9, 3}) EXPECT_TRUE(shown[0][std::size_t(v)]) << v;
    for (int v : {7, 1, 5}) EXPECT_FALSE(shown[0][std::size_t(v)]) << v;
    for (int v : {4, 7, 1}) EXPECT_TRUE(shown[1][std::size_t(v)]) << v;
    std::vector<std::uint8_t> moving = {0xB5, 0x3C, 0xF0, 0x0F};
    MoveBits(moving.data(), 5, 1, 20);  // bits 5..24 to 1..20
    EXPECT_EQ(moving, (std::vector<std::uint8_t>{0xCB, 0x03, 0xFF, 0x0F}));
    EXPECT_EQ(OrOfBytes(pixels, 10), 0xCFu);
}

}  // namespace
