// Levels 1 and 2 on generated animations (random screens, frames, positions,
// local tables, transparency, disposals 0-3, zero delays, loops): giflib
// decodes the source and the output, both are composited frame by frame.
// Level 1: the pictures a viewer shows must be the same, with the same
// timing. Level 2: every frame in palette colors (PaletteMismatch).
#include <gtest/gtest.h>

#include <random>

#include "compressors/CompressGIF.h"
#include "tests/gifsupport/Decoders.h"
#include "tests/gifsupport/GIFTestSupport.h"
#include "tests/gifsupport/PaletteCheck.h"

namespace {

class TAnimationMaker {
public:
    explicit TAnimationMaker(std::uint32_t seed) : fRandom(seed)
    {
        // A small set of colors, so that tables share and repeat colors.
        for (int i = 0; i < 24; ++i) fPalette.push_back(GIFColor(Byte(), Byte(), Byte()));
    }

    Bytes Make()
    {
        TGIFImage image;
        const int width = Range(1, 24), height = Range(1, 24);
        image.Header().ScreenWidth = std::uint16_t(width);
        image.Header().ScreenHeight = std::uint16_t(height);
        if (Chance(85)) SetColors(image.GlobalColorMap(), Colors());
        image.Header().BackgroundIndex = std::uint8_t(Range(0, 3));
        const int frames = Range(1, 6);
        std::vector<std::uint8_t> previous;
        for (int i = 0; i < frames; ++i) {
            const bool whole = Chance(30);
            const int w = whole ? width : Range(1, width), h = whole ? height : Range(1, height);
            const int left = Range(0, width - w), top = Range(0, height - h);
            std::vector<TGIFColor> local;
            if (image.GlobalColorMap().EntryCount() == 0 || Chance(25)) local = Colors();
            const int colors = local.empty() ? image.GlobalColorMap().EntryCount() : int(local.size());
            const int transparent = Chance(50) ? Range(0, colors - 1) : -1;
            std::vector<std::uint8_t> pixels = Pixels(w, h, colors, transparent, previous);
            previous = pixels;
            TGIFSubImage& frame = AddTestFrame(image, left, top, w, h, pixels, local);
            frame.SetInterlaced(Chance(10));
            const int disposal = Range(0, 3);
            const int delay = std::array<int, 4>{0, 0, 3, 10}[std::size_t(Range(0, 3))];
            if (transparent >= 0 || disposal || delay || Chance(50)) SetControl(frame, delay, disposal, transparent);
            if ((i == 0 && Chance(30)) || (i > 0 && Chance(5)))
                AddLoop(frame, std::uint16_t(Chance(50) ? 0 : Range(1, 3)));
        }
        return image.SaveToBytes();
    }

private:
    int Range(int low, int high) { return std::uniform_int_distribution<int>(low, high)(fRandom); }
    bool Chance(int percent) { return Range(0, 99) < percent; }
    std::uint8_t Byte() { return std::uint8_t(Range(0, 255)); }

    // Mostly a few colors of the shared set; now and then a large table of
    // fresh colors, so that all tables together hold more than 256.
    std::vector<TGIFColor> Colors()
    {
        std::vector<TGIFColor> colors;
        if (Chance(6)) {
            const int count = Range(100, 256);
            for (int i = 0; i < count; ++i) colors.push_back(GIFColor(Byte(), Byte(), Byte()));
        } else {
            const int count = Range(1, 12);
            for (int i = 0; i < count; ++i) colors.push_back(fPalette[std::size_t(Range(0, 23))]);
        }
        return colors;
    }

    // Noise, runs, one color, all transparent, or the previous frame's pixels
    // where it had them (so that frames repeat each other).
    std::vector<std::uint8_t> Pixels(int w, int h, int colors, int transparent,
                                     const std::vector<std::uint8_t>& previous)
    {
        std::vector<std::uint8_t> pixels(std::size_t(w) * std::size_t(h));
        const int mode = Range(0, 4);
        std::uint8_t run = 0;
        for (std::size_t i = 0; i < pixels.size(); ++i) {
            if (mode == 0 || (mode == 1 && Chance(20))) run = std::uint8_t(Range(0, colors - 1));
            if (mode == 2 && i == 0) run = std::uint8_t(Range(0, colors - 1));
            if (mode == 3 && transparent >= 0) run = std::uint8_t(transparent);
            pixels[i] = run;
            if (mode == 4) pixels[i] = i < previous.size() && previous[i] < colors ? previous[i] : run;
        }
        return pixels;
    }

    std::mt19937 fRandom;
    std::vector<TGIFColor> fPalette;
};

std::string Describe(const std::vector<TDecodedFrame>& pictures)
{
    std::string text;
    for (const auto& picture : pictures) text += std::to_string(picture.Delay) + " ";
    return text;
}

TEST(RandomAnimations, LevelOneShowsTheSamePicturesAsTheSource)
{
    if (!OracleAvailable()) GTEST_SKIP() << "giflib is missing";
    TAnimationMaker maker(20261208);
    int differences = 0, grew = 0;
    constexpr int kAnimations = 5000;
    for (int n = 0; n < kAnimations; ++n) {
        const Bytes source = maker.Make();
        const Bytes output = RecompressGIFBytes(source);
        const auto before = CompositeWithGiflib(source);
        const auto after = CompositeWithGiflib(output);
        ASSERT_TRUE(before) << n;
        ASSERT_TRUE(after) << "giflib cannot read the output of animation " << n;
        const auto expected = ShownPictures(*before);
        const auto actual = ShownPictures(*after);
        bool same =
            after->Width == before->Width && after->Height == before->Height && actual.size() == expected.size();
        if (after->Frames.size() == 1) {
            // A still picture: timing and looping no longer matter.
            same = same && actual[0].Rgba == expected[0].Rgba;
        } else {
            same = same && after->LoopCount == before->LoopCount;
            for (std::size_t i = 0; same && i < expected.size(); ++i)
                same = actual[i].Rgba == expected[i].Rgba && actual[i].Delay == expected[i].Delay;
        }
        if (!same && ++differences <= 5)
            ADD_FAILURE() << "animation " << n << ": pictures (delays) " << Describe(expected) << "became "
                          << Describe(actual) << "; loop " << before->LoopCount << " -> " << after->LoopCount;
        grew += output.size() > source.size();
    }
    EXPECT_EQ(differences, 0) << "of " << kAnimations;
    RecordProperty("grew", grew);
}

TEST(RandomAnimations, LevelTwoShowsEveryPictureInPaletteColors)
{
    if (!OracleAvailable()) GTEST_SKIP() << "giflib is missing";
    TAnimationMaker maker(20261209);
    int differences = 0, kept = 0;
    constexpr int kAnimations = 3000;
    for (int n = 0; n < kAnimations; ++n) {
        const Bytes source = maker.Make();
        Bytes output;
        try {
            output = FlattenGIFBytes(source);
        } catch (const GIFOutputLimit&) {
            ++kept;  // all 256 colors and transparency: the source stays
            continue;
        }
        const std::string mismatch = PaletteMismatch(source, output);
        if (!mismatch.empty() && ++differences <= 5) ADD_FAILURE() << "animation " << n << ": " << mismatch;
    }
    EXPECT_EQ(differences, 0) << "of " << kAnimations;
    EXPECT_LT(kept, kAnimations / 100);
}

}  // namespace
