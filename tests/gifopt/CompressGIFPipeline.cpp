#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "compressors/CompressGIF.h"
#include "compressors/Compressors.h"
#include "tests/gifsupport/Decoders.h"
#include "tests/gifsupport/GIFTestSupport.h"

namespace {

const std::uint32_t kOpaqueRed = Rgba(255, 0, 0);
const std::uint32_t kOpaqueBlue = Rgba(0, 0, 255);

struct TResult {
    FileSize Original = 0, Optimized = 0;
};

TResult Compress(const std::string& source, const std::string& destination, Level level)
{
    TResult result;
    CompressGIF(source, destination, level, result.Original, result.Optimized);
    return result;
}

// The level's own output, before the never-larger rule.
void Transform(const std::string& source, const std::string& destination, Level level)
{
    const Bytes bytes = LoadFile(source);
    const Bytes out = level == 1 ? RecompressGIFBytes(bytes) : FlattenGIFBytes(bytes);
    std::ofstream(destination, std::ios::binary)
        .write(reinterpret_cast<const char*>(out.data()), std::streamsize(out.size()));
}

TDecoded Decode(const std::string& path)
{
    auto decoded = DecodeWithImageMagick(path);
    if (!decoded) throw std::runtime_error("ImageMagick cannot read " + path);
    return *decoded;
}

// A 10 x 8 screen with one 4 x 3 frame at (2, 2): red, a transparent pixel at
// its top left, a blue pixel at its bottom right.
void WriteSingleFrame(const std::string& path)
{
    TGIFImage image;
    image.Header().ScreenWidth = 10;
    image.Header().ScreenHeight = 8;
    SetColors(image.GlobalColorMap(), {kRed, kBlue, kGreen});
    std::vector<std::uint8_t> pixels(12, 0);
    pixels[0] = 2;
    pixels[11] = 1;
    SetControl(AddTestFrame(image, 2, 2, 4, 3, pixels), 0, 0, 2);
    image.SaveToFile(path);
}

// Three frames: a 4 x 4 red square (kept, delay `first`), the same again
// (delay `second`), then one blue pixel at (3, 3) (delay 7); looping `loops` times.
void WriteRepeatingAnimation(const std::string& path, int first, int second, int loops)
{
    TGIFImage image;
    SetColors(image.GlobalColorMap(), {kRed, kBlue});
    std::vector<std::uint8_t> red(16, 0);
    TGIFSubImage& start = AddTestFrame(image, 0, 0, 4, 4, red);
    SetControl(start, first, 1);
    if (loops >= 0) AddLoop(start, std::uint16_t(loops));
    SetControl(AddTestFrame(image, 0, 0, 4, 4, red), second, 1);
    SetControl(AddTestFrame(image, 3, 3, 1, 1, {1}), 7, 1);
    image.SaveToFile(path);
}

int LoopCountOf(const std::string& path)
{
    TGIFImage image;
    image.LoadFromFile(path);
    if (image.Images().Empty()) return -1;
    const auto* loop = image.Images()[0]->Extensions().Find<TGIFAppExtNSLoop>();
    return loop ? loop->LoopCount : -1;
}

TEST(CompressGIF, LevelZeroCopiesAndSizesMatchTheFiles)
{
    TempDir dir;
    WriteSingleFrame(dir / "in.gif");
    const auto source = LoadFile(dir / "in.gif");
    TResult copy = Compress(dir / "in.gif", dir / "copy.gif", 0);
    EXPECT_EQ(LoadFile(dir / "copy.gif"), source);
    EXPECT_EQ(copy.Original, FileSize(source.size()));
    EXPECT_EQ(copy.Optimized, FileSize(source.size()));
    for (Level level : {1, 2}) {
        const std::string out = dir / ("out" + std::to_string(level) + ".gif");
        TResult result = Compress(dir / "in.gif", out, level);
        EXPECT_EQ(result.Original, FileSize(source.size()));
        EXPECT_EQ(result.Optimized, FileSize(std::filesystem::file_size(out)));
    }
}

TEST(CompressGIF, LevelsAboveTwoBehaveAsLevelTwo)
{
    TempDir dir;
    WriteRepeatingAnimation(dir / "in.gif", 10, 20, 0);
    Compress(dir / "in.gif", dir / "two.gif", 2);
    const auto two = LoadFile(dir / "two.gif");
    ASSERT_FALSE(two.empty());
    for (Level level : {3, 9, 255}) {
        const std::string out = dir / ("l" + std::to_string(level) + ".gif");
        Compress(dir / "in.gif", out, level);
        EXPECT_EQ(LoadFile(out), two) << int(level);
    }
}

TEST(CompressGIF, BothLevelsKeepTheTransparencyLevelTwoShowsItOnTheWholeScreen)
{
    TempDir dir;
    WriteSingleFrame(dir / "in.gif");
    Transform(dir / "in.gif", dir / "one.gif", 1);
    Transform(dir / "in.gif", dir / "two.gif", 2);
    const TDecoded source = Decode(dir / "in.gif");
    const TDecoded one = Decode(dir / "one.gif");
    ASSERT_EQ(one.Frames.size(), 1u);
    EXPECT_EQ(one.Width, 10);
    EXPECT_EQ(one.Frames[0].Rgba, source.Frames[0].Rgba);

    const TDecoded two = Decode(dir / "two.gif");
    ASSERT_EQ(two.Frames.size(), 1u);
    ASSERT_EQ(two.Width, 10);
    ASSERT_EQ(two.Height, 8);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 10; ++x) {
            std::uint32_t expected = 0;  // uncovered screen and the transparent pixel
            if (x >= 2 && x < 6 && y >= 2 && y < 5 && !(x == 2 && y == 2))
                expected = x == 5 && y == 4 ? kOpaqueBlue : kOpaqueRed;
            EXPECT_EQ(two.Pixel(0, x, y), expected) << x << "," << y;
        }
    TGIFImage written;
    written.LoadFromFile(dir / "two.gif");
    ASSERT_EQ(written.Images().Count(), 1);
    EXPECT_EQ(written.Images()[0]->Width(), 10);  // the whole screen, as the first frame always is
}

TEST(CompressGIF, FullyTransparentSpacerStaysAValidTransparentImage)
{
    for (int screenWidth : {1, 5}) {
        TempDir dir;
        TGIFImage image;
        image.Header().ScreenWidth = std::uint16_t(screenWidth);
        image.Header().ScreenHeight = 3;
        SetColors(image.GlobalColorMap(), {kWhite, kBlack});
        SetControl(AddTestFrame(image, 0, 0, 1, 1, {1}), 0, 0, 1);
        image.SaveToFile(dir / "spacer.gif");

        ASSERT_NO_THROW(Compress(dir / "spacer.gif", dir / "one.gif", 1));
        const TDecoded one = Decode(dir / "one.gif");
        EXPECT_EQ(one.Width, screenWidth);
        EXPECT_EQ(one.Height, 3);
        ASSERT_EQ(one.Frames.size(), 1u);
        for (std::size_t i = 3; i < one.Frames[0].Rgba.size(); i += 4)
            EXPECT_EQ(one.Frames[0].Rgba[i], 0) << "pixel " << i / 4 << " is not transparent";

        ASSERT_NO_THROW(Transform(dir / "spacer.gif", dir / "two.gif", 2));
        const TDecoded two = Decode(dir / "two.gif");
        EXPECT_EQ(two.Width, screenWidth);
        EXPECT_EQ(two.Height, 3);
        ASSERT_EQ(two.Frames.size(), 1u);
        for (std::size_t i = 3; i < two.Frames[0].Rgba.size(); i += 4)
            EXPECT_EQ(two.Frames[0].Rgba[i], 0) << "pixel " << i / 4 << " is not transparent at level 2";
    }
}

// Level 1 drops a frame that changes nothing, level 2 keeps every frame.
TEST(CompressGIF, DelaysOfDroppedFramesMoveToTheFrameBefore)
{
    TempDir dir;
    WriteRepeatingAnimation(dir / "in.gif", 10, 20, 0);
    const std::vector<std::vector<int>> delays = {{30, 7}, {10, 20, 7}};
    for (Level level : {1, 2}) {
        const std::string out = dir / ("out" + std::to_string(level) + ".gif");
        Transform(dir / "in.gif", out, level);
        const TDecoded decoded = Decode(out);
        std::vector<int> found;
        for (const auto& frame : decoded.Frames) found.push_back(frame.Delay);
        EXPECT_EQ(found, delays[level - 1u]) << int(level);
    }

    WriteRepeatingAnimation(dir / "long.gif", 40000, 30000, 0);
    Compress(dir / "long.gif", dir / "long1.gif", 1);
    TGIFImage result;
    result.LoadFromFile(dir / "long1.gif");
    ASSERT_EQ(result.Images().Count(), 2);
    EXPECT_EQ(result.Images()[0]->GraphicControl()->DelayTime(), 65535);
}

TEST(CompressGIF, BothLevelsKeepTheLoop)
{
    TempDir dir;
    WriteRepeatingAnimation(dir / "in.gif", 10, 20, 5);
    Compress(dir / "in.gif", dir / "one.gif", 1);
    Compress(dir / "in.gif", dir / "two.gif", 2);
    EXPECT_EQ(LoopCountOf(dir / "one.gif"), 5);
    EXPECT_EQ(LoopCountOf(dir / "two.gif"), 5);

    WriteRepeatingAnimation(dir / "once.gif", 10, 20, -1);
    Compress(dir / "once.gif", dir / "once2.gif", 2);
    EXPECT_EQ(LoopCountOf(dir / "once2.gif"), -1);
}

// When the optimized image is not smaller, the destination gets the source's
// bytes and both sizes are the source's.
TEST(CompressGIF, NeverLarger)
{
    TempDir dir;
    WriteSingleFrame(dir / "in.gif");  // level 2 paints the whole screen: larger
    const Bytes source = LoadFile(dir / "in.gif");
    ASSERT_GE(FlattenGIFBytes(source).size(), source.size());
    TResult two = Compress(dir / "in.gif", dir / "two.gif", 2);
    EXPECT_EQ(LoadFile(dir / "two.gif"), source);
    EXPECT_EQ(two.Original, FileSize(source.size()));
    EXPECT_EQ(two.Optimized, FileSize(source.size()));

    // A comment makes the source larger than level 1's output, which is taken.
    TGIFImage image;
    image.LoadFromFile(dir / "in.gif");
    auto comment = std::make_unique<TGIFCommentExtension>();
    comment->Lines = {std::string(200, 'c')};
    image.Images()[0]->Extensions().Add(std::move(comment));
    image.SaveToFile(dir / "commented.gif");
    const Bytes commented = LoadFile(dir / "commented.gif");
    TResult one = Compress(dir / "commented.gif", dir / "one.gif", 1);
    EXPECT_EQ(LoadFile(dir / "one.gif"), RecompressGIFBytes(commented));
    EXPECT_LT(one.Optimized, one.Original);
    EXPECT_EQ(one.Optimized, FileSize(std::filesystem::file_size(dir / "one.gif")));
}

TEST(CompressGIF, BadSourcesLeaveNoDestination)
{
    TempDir dir;
    {
        std::ofstream(dir / "text.gif") << "this is not a picture";
    }
    for (Level level : {1, 2}) {
        EXPECT_THROW(Compress(dir / "text.gif", dir / "out.gif", level), GIFException);
        EXPECT_FALSE(std::filesystem::exists(dir / "out.gif"));
        EXPECT_THROW(Compress(dir / "missing.gif", dir / "out.gif", level), std::runtime_error);
        EXPECT_FALSE(std::filesystem::exists(dir / "out.gif"));
    }
}

TEST(CompressGIF, NeverWritesOverItsSource)
{
    TempDir dir;
    WriteSingleFrame(dir / "in.gif");
    const auto before = LoadFile(dir / "in.gif");
    for (Level level : {0, 1, 2}) {
        try {
            Compress(dir / "in.gif", dir / "in.gif", level);
            ADD_FAILURE() << "level " << int(level) << " wrote over its source";
        } catch (const std::runtime_error& e) {
            EXPECT_EQ(std::string(e.what()),
                      "Cannot create file \"" + dir / "in.gif" + "\". The destination is the source file.");
        }
        EXPECT_EQ(LoadFile(dir / "in.gif"), before);
    }
}

}  // namespace
