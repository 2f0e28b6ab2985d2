// Size and ratio texts, the level rule and the selector entries.
#include <gtest/gtest.h>

#include "app/core/HumanSize.h"
#include "compressors/Optimizers.h"
#include "app/core/NumberFormat.h"

TEST(HumanSize, TableOfSizes)
{
    EXPECT_EQ(HumanSize(0), "       0 B");
    EXPECT_EQ(HumanSize(512), "     512 B");
    EXPECT_EQ(HumanSize(1023), "    1023 B");
    EXPECT_EQ(HumanSize(-1), "      -1 B");
    EXPECT_EQ(HumanSize(1024), "     1.0 kB");
    EXPECT_EQ(HumanSize(1536), "     1.5 kB");
    EXPECT_EQ(HumanSize(1048575), " 1,024.0 kB");
    EXPECT_EQ(HumanSize(1048576), "    1.00 MB");
    EXPECT_EQ(HumanSize(5000000), "    4.77 MB");
    EXPECT_EQ(HumanSize(1073741824), "   1.000 GB");
    EXPECT_EQ(HumanSize(2147483647), "   2.000 GB");
    EXPECT_EQ(HumanSize(-2147483647 - 1), "-2147483648 B");  // wider than the field: not cut
}

TEST(HumanSize, HalfwayValuesRoundAwayFromZero)
{
    EXPECT_EQ(HumanSize(1280), "     1.3 kB");     // 1.25
    EXPECT_EQ(HumanSize(1331), "     1.3 kB");     // 1.2998
    EXPECT_EQ(HumanSize(1179648), "    1.13 MB");  // 1.125
}

TEST(HumanSize, SeparatorsAreParameters)
{
    EXPECT_EQ(HumanSize(1048575, ".", ","), " 1.024,0 kB");
    // A multi-byte separator counts as one character of the field.
    EXPECT_EQ(HumanSize(1048575, "\u202f", ","), " 1\u202f024,0 kB");
    EXPECT_EQ(HumanSize(1536, "", ","), "     1,5 kB");
}

TEST(RatioText, TwoDecimalsOfOptimizedOverOriginal)
{
    EXPECT_EQ(RatioText(1500, 2000), "75.00%");
    EXPECT_EQ(RatioText(30000000, 40000000), "75.00%");
    EXPECT_EQ(RatioText(3500, 4000), "87.50%");
    EXPECT_EQ(RatioText(3000, 3000), "100.00%");
    EXPECT_EQ(RatioText(1, 3), "33.33%");
    EXPECT_EQ(RatioText(2, 3), "66.67%");
    EXPECT_EQ(RatioText(1, 800), "0.13%");            // 0.125 exactly
    EXPECT_EQ(RatioText(1, 20000), "0.01%");          // 0.005
    EXPECT_EQ(RatioText(123456, 1000), "12345.60%");  // no thousands separator
    EXPECT_EQ(RatioText(1500, 2000, ","), "75,00%");
}

TEST(RatioText, NegativeAndZeroSizes)
{
    EXPECT_EQ(RatioText(-1, 100), "-1.00%");
    EXPECT_EQ(RatioText(-1, -1), "100.00%");
    EXPECT_EQ(RatioText(-1, 1000000), "0.00%");  // rounds to zero: no minus sign
    EXPECT_EQ(RatioText(0, 100), "0.00%");
    EXPECT_EQ(RatioText(0, 0), "n/a");
    EXPECT_EQ(RatioText(500, 0), "n/a");
}

TEST(RatioText, SixtyFourBitProducts)
{
    // 3 * 2^31 - 3 bytes kept of 4 * (2^31 - 1): the product needs 64 bits.
    EXPECT_EQ(RatioText(3LL * 2147483647, 4LL * 2147483647), "75.00%");
}

TEST(FormatFixed, GroupsAndPads)
{
    EXPECT_EQ(FormatFixed(1234567.891L, 2, ",", "."), "1,234,567.89");
    EXPECT_EQ(FormatFixed(999.96L, 1, ",", "."), "1,000.0");
    EXPECT_EQ(FormatFixed(0.04L, 1, ",", "."), "0.0");
    EXPECT_EQ(FormatFixed(0.05L, 1, ",", "."), "0.1");
    EXPECT_EQ(FormatFixed(-2.5L, 0, ",", "."), "-3");
    EXPECT_EQ(FormatFixed(1e-30L, 2, ",", "."), "0.00");
    EXPECT_EQ(PadLeft("ab", 4), "  ab");
    EXPECT_EQ(PadLeft("abcdef", 4), "abcdef");
}

TEST(LevelFromEntry, OneDigitAndTheJpegSelectorsTwo)
{
    const TOptimizerRow& css = *OptimizerNamed("css");
    const TOptimizerRow& jpeg = *OptimizerNamed("jpeg");
    EXPECT_EQ(LevelFromEntry(css, "2- Maximum compression"), 2);
    EXPECT_EQ(LevelFromEntry(css, "0- No compression"), 0);
    EXPECT_EQ(LevelFromEntry(jpeg, "12- Comment+Exif removal"), 12);
    EXPECT_EQ(LevelFromEntry(jpeg, "23- Exif+IPCT removal"), 23);
    EXPECT_EQ(LevelFromEntry(jpeg, "4- Leave pure image"), 4);
    EXPECT_EQ(LevelFromEntry(jpeg, "0- No removal"), 0);
    // Other selectors read one digit even where a second follows.
    EXPECT_EQ(LevelFromEntry(css, "12- x"), 1);
    EXPECT_THROW(LevelFromEntry(css, ""), std::runtime_error);
    EXPECT_THROW(LevelFromEntry(css, "x- y"), std::runtime_error);
    EXPECT_THROW(LevelFromEntry(jpeg, "1x- y"), std::runtime_error);
}

TEST(Selectors, DefaultEntriesAndLevels)
{
    const auto start = [](const char* kind) {
        const TOptimizerRow& row = *OptimizerNamed(kind);
        return row.entries.at(row.defaultEntry);
    };
    EXPECT_EQ(start("png"), "4- Extreme recompression");
    EXPECT_EQ(start("js"), "3- Newline removal");
    EXPECT_EQ(start("jpeg"), "4- Leave pure image");
    EXPECT_EQ(start("html"), "2- Maximum compression");
    EXPECT_EQ(start("gif"), "2- Maximum compression");
    EXPECT_EQ(start("css"), "2- Maximum compression");
    EXPECT_EQ(EntryForLevel(*OptimizerNamed("jpeg"), 13), "13- Comment+IPCT removal");
    EXPECT_EQ(EntryForLevel(*OptimizerNamed("gif"), 1), "1- Fast compression");
    EXPECT_EQ(EntryForLevel(*OptimizerNamed("css"), 3), "");
}
