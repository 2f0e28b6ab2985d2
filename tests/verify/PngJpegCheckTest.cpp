// PNG and JPEG outputs, made by the real tools (ImageMagick, optipng,
// jpegtran), right and wrong on purpose.
#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "compressors/base/Files.h"
#include "compressors/verify/JpegCompare.h"
#include "compressors/verify/JpegPixels.h"
#include "compressors/verify/PictureCheck.h"
#include "tests/support/TempDir.h"

namespace {

bool Shell(const std::string& command)
{
    return std::system(("(" + command + ") >/dev/null 2>&1").c_str()) == 0;
}

std::vector<std::uint8_t> Bytes(const std::string& path)
{
    return ReadEntireFileBytes(path);
}

struct TToolCase {
    const char* name;
    const char* command;  // makes out.* from src.* in the current folder
    bool same;
};

void CheckCases(TImageFormat format, const std::string& make, const char* extension,
                const std::vector<TToolCase>& cases)
{
    const TempDir dir;
    const std::string in = "cd '" + dir.Path() + "' && ";
    ASSERT_TRUE(Shell(in + make)) << make;
    const std::string source = dir / (std::string("src.") + extension);
    const std::string output = dir / (std::string("out.") + extension);
    for (const TToolCase& c : cases) {
        std::remove(output.c_str());
        ASSERT_TRUE(Shell(in + c.command)) << c.name << ": " << c.command;
        EXPECT_EQ(SamePicture(format, TColorMatch::Exact, Bytes(source), Bytes(output)), c.same) << c.name;
    }
}

TEST(PngCheck, SamplesCompareExactlyAt8And16Bits)
{
    CheckCases(TImageFormat::PNG,
               "convert -size 9x7 gradient:red-blue \\( -size 9x7 xc:white -fill gray50 -draw 'rectangle 0,0 2,6' \\) "
               "-alpha off -compose copy_opacity -composite PNG32:src.png",
               "png",
               {
                   {"optipng's output", "optipng -quiet -o2 -out out.png src.png", true},
                   {"the same samples in 16 bits", "convert src.png -depth 16 PNG64:out.png", true},
                   {"interlaced", "convert src.png -interlace PNG PNG32:out.png", true},
                   {"a flipped pixel", "convert src.png -fill white -draw 'point 3,5' PNG32:out.png", false},
                   {"a lost transparency", "convert src.png -background white -alpha remove PNG32:out.png", false},
                   {"cut short", "head -c 300 src.png > out.png", false},
               });
    CheckCases(TImageFormat::PNG, "convert -size 5x300 gradient: -depth 16 PNG48:src.png", "png",
               {
                   {"16 bits kept", "optipng -quiet -o1 -out out.png src.png", true},
                   {"16 bits brought down to 8", "convert src.png -depth 8 PNG24:out.png", false},
               });
}

// Inserts an Exif segment declaring `orientation` after the start of image.
std::string WithOrientation(const std::string& jpeg, int orientation)
{
    const unsigned char exif[] = {0xFF, 0xE1, 0, 34, 'E', 'x', 'i', 'f', 0, 0, 'M', 'M', 0, 42, 0, 0, 0, 8,
                                  0, 1, 0x01, 0x12, 0, 3, 0, 0, 0, 1, 0, static_cast<unsigned char>(orientation),
                                  0, 0, 0, 0, 0, 0};
    return jpeg.substr(0, 2) + std::string(reinterpret_cast<const char*>(exif), sizeof exif) + jpeg.substr(2);
}

TEST(JpegCheck, PixelsCompareAsShownUpright)
{
    CheckCases(TImageFormat::JPEG, "convert -size 32x48 gradient:red-blue -quality 90 src.jpg", "jpg",
               {
                   {"Huffman tables optimized", "jpegtran -optimize -copy none src.jpg > out.jpg", true},
                   {"progressive", "jpegtran -progressive src.jpg > out.jpg", true},
                   {"encoded again", "convert src.jpg -quality 60 out.jpg", false},
                   {"turned, declaring nothing", "jpegtran -rotate 90 -perfect src.jpg > out.jpg", false},
                   {"cut short", "head -c -60 src.jpg > out.jpg", false},
               });

    const TempDir dir;
    ASSERT_TRUE(Shell("cd '" + dir.Path() +
                    "' && convert -size 32x48 gradient:red-blue -fill green -draw 'circle 10,10 14,14' -quality 90 "
                    "plain.jpg && jpegtran -rotate 90 -perfect plain.jpg > turned.jpg"));
    const std::string plain = ReadEntireFile(dir / "plain.jpg");
    const std::string turned = ReadEntireFile(dir / "turned.jpg");
    const auto bytes = [](const std::string& text) { return std::vector<std::uint8_t>(text.begin(), text.end()); };
    // A phone photo stored sideways (6: turn a quarter clockwise to show it)...
    const auto sideways = bytes(WithOrientation(plain, 6));
    ASSERT_EQ(DecodeJpeg(sideways)->width, 48u);
    // ...turned losslessly, declaring nothing, shows the same; the same bytes declaring nothing do not.
    EXPECT_TRUE(SamePicture(TImageFormat::JPEG, TColorMatch::Exact, sideways, bytes(turned)));
    EXPECT_FALSE(SamePicture(TImageFormat::JPEG, TColorMatch::Exact, sideways, bytes(plain)));
    EXPECT_FALSE(SamePicture(TImageFormat::JPEG, TColorMatch::Exact, sideways, bytes(WithOrientation(plain, 8))));
}

// 37 x 53: neither whole blocks nor whole 16-pixel units; corner.ppm differs
// from src.ppm in its last pixel alone.
constexpr const char* kOddPicture =
    "convert -size 37x53 gradient:red-blue -fill green -draw 'circle 10,10 14,14' src.ppm && "
    "convert src.ppm -fill white -draw 'point 36,52' corner.ppm && ";

TEST(JpegCheck, EveryShownSampleComparesWhateverTheSampling)
{
    // Alike sampled: component planes compared; otherwise: pixels.
    CheckCases(TImageFormat::JPEG, std::string(kOddPicture) + "cjpeg -quality 90 -sample 2x2,1x1,1x1 src.ppm > src.jpg",
               "jpg",
               {
                   {"Huffman tables optimized", "jpegtran -optimize -copy none src.jpg > out.jpg", true},
                   {"progressive", "jpegtran -progressive src.jpg > out.jpg", true},
                   {"the last pixel changed", "cjpeg -quality 90 -sample 2x2,1x1,1x1 corner.ppm > out.jpg", false},
                   {"chroma sampled otherwise", "cjpeg -quality 90 -sample 1x1 src.ppm > out.jpg", false},
                   {"grey", "jpegtran -grayscale src.jpg > out.jpg", false},
                   {"cut short", "head -c -40 src.jpg > out.jpg", false},
               });
    CheckCases(TImageFormat::JPEG, std::string(kOddPicture) + "cjpeg -quality 90 -sample 1x1 src.ppm > src.jpg", "jpg",
               {
                   {"the same pixels in wider units", "cjpeg -quality 90 -sample 2x1,2x1,2x1 src.ppm > out.jpg", true},
                   {"the last pixel changed, in wider units",
                    "cjpeg -quality 90 -sample 2x1,2x1,2x1 corner.ppm > out.jpg", false},
               });
    CheckCases(TImageFormat::JPEG, std::string(kOddPicture) + "convert src.ppm -colorspace CMYK -quality 90 src.jpg",
               "jpg",
               {
                   {"CMYK optimized", "jpegtran -optimize src.jpg > out.jpg", true},
                   {"CMYK, the last pixel changed", "convert corner.ppm -colorspace CMYK -quality 90 out.jpg", false},
               });
}

// The offset of the `n`th (from 0) start-of-scan marker.
std::optional<std::size_t> ScanStart(const std::string& jpeg, int n)
{
    for (std::size_t at = jpeg.find("\xFF\xDA"); at != std::string::npos; at = jpeg.find("\xFF\xDA", at + 2))
        if (n-- == 0) return at;
    return std::nullopt;
}

TEST(JpegCheck, TheDamageCheckRefusesWhatAFullDecodeRefuses)
{
    const TempDir dir;
    ASSERT_TRUE(Shell("cd '" + dir.Path() + "' && " + kOddPicture + "cjpeg -progressive src.ppm > src.jpg"));
    const std::string jpeg = ReadEntireFile(dir / "src.jpg");
    const auto second = ScanStart(jpeg, 1);
    ASSERT_TRUE(second);
    std::string badLength = jpeg, badScan = jpeg;
    badLength[*second + 3] = 1;  // a later scan's header of a wrong length
    // A later scan that claims the DC coefficients and every AC one.
    const std::size_t components = static_cast<unsigned char>(jpeg[*second + 4]);
    badScan[*second + 5 + 2 * components] = 0;
    badScan[*second + 6 + 2 * components] = 63;
    const struct {
        const char* name;
        std::string bytes;
        bool damaged;
    } cases[] = {
        {"whole", jpeg, false},
        {"empty", "", true},
        {"not a JPEG", "GIF89a" + jpeg, true},
        {"cut in its header", jpeg.substr(0, 200), true},
        {"cut in its last scan (a warning)", jpeg.substr(0, jpeg.size() - 30), false},
        {"a later scan header of a wrong length", badLength, true},
        {"a later scan of impossible parameters", badScan, true},
    };
    for (const auto& c : cases) {
        const std::vector<std::uint8_t> bytes(c.bytes.begin(), c.bytes.end());
        std::string refusal;
        const bool decodes = DecodeJpeg(bytes, &refusal).has_value();
        EXPECT_EQ(!decodes, c.damaged) << c.name;
        EXPECT_EQ(JpegDamage(bytes), refusal) << c.name;
    }
}

}  // namespace
