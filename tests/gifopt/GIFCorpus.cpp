// Every corpus image against an independent decoder (ImageMagick): level 1
// shows the same pictures as the source;
// level 2 (judged with giflib) has the same frames and delays, the same
// transparent pixels, and colors within the fixed palette's distance.
#include <gtest/gtest.h>

#include <fstream>

#include "compressors/CompressGIF.h"
#include "compressors/Compressors.h"
#include "tests/gifsupport/Corpus.h"
#include "tests/gifsupport/Decoders.h"
#include "tests/gifsupport/GIFTestSupport.h"
#include "tests/gifsupport/PaletteCheck.h"

namespace {

bool ReadWithEngine(const std::string& path)
{
    TGIFImage image;
    try {
        image.LoadFromFile(path);
    } catch (const GIFException&) {
        return false;
    }
    return true;
}

bool FirstFrameCoversTheScreen(const Bytes& bytes)
{
    TGIFImage image;
    image.LoadFromBytes(bytes);
    for (auto& frame : image.Images())
        if (!frame->IsEmpty())
            return frame->Left() == 0 && frame->Top() == 0 && frame->Width() == image.Width() &&
                   frame->Height() == image.Height() && !frame->Transparent();
    return false;
}

class CorpusOracle : public ::testing::TestWithParam<std::string> {};

TEST_P(CorpusOracle, LevelOneShowsTheSamePictures)
{
    const std::string& source = GetParam();
    if (!ReadWithEngine(source)) GTEST_SKIP() << "not readable by the engine";
    TempDir dir;
    // The level's own output, also where it is not smaller than the source.
    const Bytes one = RecompressGIFBytes(LoadFile(source));
    std::ofstream(dir / "one.gif", std::ios::binary)
        .write(reinterpret_cast<const char*>(one.data()), std::streamsize(one.size()));
    // As browsers show it: giflib's frames composited (what nothing covers is
    // transparent).
    if (const auto before = CompositeWithGiflib(LoadFile(source))) {
        const auto after = CompositeWithGiflib(one);
        ASSERT_TRUE(after) << "giflib cannot read the level 1 output";
        const auto expected = ShownPictures(*before), actual = ShownPictures(*after);
        ASSERT_EQ(actual.size(), expected.size());
        for (std::size_t i = 0; i < expected.size(); ++i)
            EXPECT_TRUE(actual[i].Rgba == expected[i].Rgba) << "picture " << i << " differs (giflib)";
    }
    // As ImageMagick shows it, where it paints no background color (which
    // may change with the table): the first frame covers the screen.
    if (!FirstFrameCoversTheScreen(LoadFile(source))) return;
    const auto output = DecodeWithImageMagick(dir / "one.gif");
    ASSERT_TRUE(output) << "ImageMagick cannot read the level 1 output";
    const auto input = DecodeWithImageMagick(source);
    if (!input) GTEST_SKIP() << "ImageMagick cannot read the source";
    EXPECT_EQ(output->Width, input->Width);
    EXPECT_EQ(output->Height, input->Height);
    EXPECT_LE(output->Frames.size(), input->Frames.size());

    const auto expected = DistinctPictures(*input);
    const auto actual = DistinctPictures(*output);
    ASSERT_EQ(actual.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_TRUE(actual[i].Rgba == expected[i].Rgba) << "picture " << i << " differs";
        if (output->Frames.size() > 1) {
            EXPECT_EQ(actual[i].Delay, expected[i].Delay) << "picture " << i;
        }
    }
}

TEST_P(CorpusOracle, LevelTwoShowsEveryPictureInPaletteColors)
{
    const std::string& source = GetParam();
    if (!ReadWithEngine(source)) GTEST_SKIP() << "not readable by the engine";
    const Bytes bytes = LoadFile(source);
    if (!CompositeWithGiflib(bytes)) GTEST_SKIP() << "giflib cannot read the source";
    Bytes two;
    try {
        // The level's own output, also where it is not smaller than the source.
        two = FlattenGIFBytes(bytes);
    } catch (const GIFOutputLimit&) {
        GTEST_SKIP() << "all 256 palette colors and transparency: the source is kept";
    }
    EXPECT_EQ(PaletteMismatch(bytes, two), "");
}

INSTANTIATE_TEST_SUITE_P(Corpus, CorpusOracle, ::testing::ValuesIn(CorpusFiles()),
                         [](const auto& info) { return CorpusTestName(info.param); });
GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(CorpusOracle);

}  // namespace
