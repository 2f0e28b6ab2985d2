// Outputs made wrong on purpose, each against the same animated source.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "compressors/verify/PictureCheck.h"
#include "tests/verify/GifMaker.h"

namespace {

// A 4 x 4 red screen with a transparent corner, a blue square that is
// cleared again (disposal 2), then a green dot; looping for ever.
TGifRecipe Source()
{
    TGifRecipe recipe{4, 4, 0, {}};
    TFrameRecipe red{0, 0, 4, 4, std::vector<std::uint8_t>(16, 2), 20, 1, 0};
    red.pixels[0] = 0;
    recipe.frames.push_back(red);
    recipe.frames.push_back({1, 1, 2, 2, {4, 4, 4, 4}, 30, 2, -1});
    recipe.frames.push_back({0, 3, 1, 1, {5}, 10, 1, -1});
    return recipe;
}

struct TGifCase {
    const char* name;
    std::function<void(TGifRecipe&)> change;
    TColorMatch match;
    bool same;
};

const TGifCase kCases[] = {
    {"unchanged", [](TGifRecipe&) {}, TColorMatch::Exact, true},
    {"a frame that changes nothing, the delay split", [](TGifRecipe& s) {
         s.frames[0].delay = 12;
         s.frames.insert(s.frames.begin() + 1, {0, 0, 1, 1, {0}, 8, 1, 0});
     }, TColorMatch::Exact, true},
    {"a flipped pixel", [](TGifRecipe& s) { s.frames[0].pixels[15] = 4; }, TColorMatch::Exact, false},
    {"a dropped frame", [](TGifRecipe& s) { s.frames.erase(s.frames.begin() + 1); }, TColorMatch::Exact, false},
    {"a changed delay", [](TGifRecipe& s) { s.frames[1].delay = 40; }, TColorMatch::Exact, false},
    {"a lost transparency", [](TGifRecipe& s) { s.frames[0].transparent = -1; }, TColorMatch::Exact, false},
    {"the disposal not applied", [](TGifRecipe& s) { s.frames[1].disposal = 1; }, TColorMatch::Exact, false},
    {"played once", [](TGifRecipe& s) { s.loop = -1; }, TColorMatch::Exact, false},
    {"another screen size", [](TGifRecipe& s) { s.width = 5; }, TColorMatch::Exact, false},
    {"a colour moved within the palette's reach",
     [](TGifRecipe& s) { std::fill(s.frames[0].pixels.begin() + 1, s.frames[0].pixels.end(), 3); },
     TColorMatch::FixedPalette, true},
    {"a colour moved, checked exactly",
     [](TGifRecipe& s) { std::fill(s.frames[0].pixels.begin() + 1, s.frames[0].pixels.end(), 3); },
     TColorMatch::Exact, false},
    {"a colour moved beyond the palette's reach", [](TGifRecipe& s) { s.frames[0].pixels[5] = 6; },
     TColorMatch::FixedPalette, false},
    {"drawn on white", [](TGifRecipe& s) { s.frames[0].pixels[0] = 1, s.frames[0].transparent = -1; },
     TColorMatch::FixedPalette, false},
};

TEST(GifCheck, CatchesEveryChangeABrowserShows)
{
    const std::vector<std::uint8_t> source = MakeGif(Source());
    for (const TGifCase& c : kCases) {
        TGifRecipe output = Source();
        c.change(output);
        EXPECT_EQ(SamePicture(TImageFormat::GIF, c.match, source, MakeGif(output)), c.same) << c.name;
    }
}

TEST(GifCheck, AStillImageMayShowForAnyTimeAndBrokenBytesNeverPass)
{
    TGifRecipe still{2, 2, -1, {{0, 0, 2, 2, {1, 2, 2, 1}, 0, 0, -1}}};
    const std::vector<std::uint8_t> source = MakeGif(still);
    still.frames[0].delay = 50;
    still.loop = 0;
    EXPECT_TRUE(SamePicture(TImageFormat::GIF, TColorMatch::Exact, source, MakeGif(still)));

    std::vector<std::uint8_t> cut = source;
    cut.resize(cut.size() - 6);
    EXPECT_FALSE(SamePicture(TImageFormat::GIF, TColorMatch::Exact, source, cut)) << "truncated output";
    EXPECT_FALSE(SamePicture(TImageFormat::GIF, TColorMatch::Exact, cut, source)) << "unreadable source";
}

}  // namespace

// A still image is compared a row at a time; what it may and may not become.
TEST(GifCheck, StillImagesCompareRowByRow)
{
    // 4 x 3: a transparent border around a red and blue middle.
    const auto still = [] {
        TFrameRecipe frame{0, 0, 4, 3, {0, 0, 0, 0, 0, 2, 4, 0, 0, 0, 0, 0}, 0, 0, 0};
        return TGifRecipe{4, 3, -1, {frame}};
    };
    const struct {
        const char* name;
        std::function<void(TGifRecipe&)> change;
        TColorMatch match;
        bool same;
    } cases[] = {
        {"unchanged", [](TGifRecipe&) {}, TColorMatch::Exact, true},
        {"cut to its opaque pixels", [](TGifRecipe& s) { s.frames[0] = {1, 1, 2, 1, {2, 4}, 0, 0, -1}; },
         TColorMatch::Exact, true},
        {"a screen grown by the frame, as a browser grows it",
         [](TGifRecipe& s) { s.width = 1, s.height = 1; }, TColorMatch::Exact, true},
        {"a second frame that changes nothing",
         [](TGifRecipe& s) { s.frames.push_back({0, 0, 1, 1, {0}, 10, 1, 0}); }, TColorMatch::Exact, true},
        {"a second frame that changes a pixel",
         [](TGifRecipe& s) { s.frames.push_back({0, 0, 1, 1, {1}, 10, 1, -1}); }, TColorMatch::Exact, false},
        {"a pixel moved", [](TGifRecipe& s) { s.frames[0] = {2, 1, 2, 1, {2, 4}, 0, 0, -1}; },
         TColorMatch::Exact, false},
        {"a lost transparency", [](TGifRecipe& s) { s.frames[0].transparent = -1; }, TColorMatch::Exact, false},
        {"another screen height", [](TGifRecipe& s) { s.height = 4; }, TColorMatch::Exact, false},
        {"a colour within the palette's reach", [](TGifRecipe& s) { s.frames[0].pixels[5] = 3; },
         TColorMatch::FixedPalette, true},
        {"the same colour checked exactly", [](TGifRecipe& s) { s.frames[0].pixels[5] = 3; },
         TColorMatch::Exact, false},
    };
    const std::vector<std::uint8_t> source = MakeGif(still());
    for (const auto& c : cases) {
        TGifRecipe output = still();
        c.change(output);
        const std::vector<std::uint8_t> bytes = MakeGif(output);
        EXPECT_EQ(SamePicture(TImageFormat::GIF, c.match, source, bytes), c.same) << c.name;
        EXPECT_EQ(SamePicture(TImageFormat::GIF, c.match, bytes, source), c.same) << c.name << ", turned round";
    }
}
