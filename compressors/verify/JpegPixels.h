#pragma once
// A JPEG's pixels as libjpeg-turbo decodes them, in the file's own colour
// space (grey, RGB or CMYK), turned upright by the Exif orientation the file
// declares, as browsers show it.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

struct TJpegPixels {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    int components = 0;                // samples a pixel
    int colorSpace = 0;                // libjpeg's J_COLOR_SPACE of the samples
    int warnings = 0;                  // corrupt-data warnings met while decoding
    int orientation = 1;               // the Exif orientation declared (1 to 8), applied
    std::vector<std::uint8_t> samples;  // upright, rows top to bottom
};

// Pixels of `components` samples turned by an Exif orientation (1 to 8):
// 2 mirrors, 3 turns half round, 4 flips, 5 transposes, 6 turns a quarter
// clockwise, 7 transverses, 8 turns a quarter anticlockwise.
std::vector<std::uint8_t> Orient(std::vector<std::uint8_t> samples, std::uint32_t& width,
                                 std::uint32_t& height, int components, int orientation);

// Nothing when libjpeg-turbo cannot decode the bytes (a fatal error; corrupt
// data it only warns about decodes) or the picture has more than
// kMaxCheckedPixels pixels. `refusal`, when given, then gets libjpeg-turbo's
// message ("Bogus marker length"), or stays empty for a picture too large.
std::optional<TJpegPixels> DecodeJpeg(std::span<const std::uint8_t> bytes, std::string* refusal = nullptr);
