#include "compressors/verify/JpegPixels.h"

#include <cstring>

#include "compressors/verify/JpegReader.h"

std::vector<std::uint8_t> Orient(std::vector<std::uint8_t> samples, std::uint32_t& width,
                                 std::uint32_t& height, int components, int orientation)
{
    if (orientation < 2 || orientation > 8) return samples;
    const std::size_t w = width, h = height, n = static_cast<std::size_t>(components);
    const bool turned = orientation >= 5;
    const std::size_t outWidth = turned ? h : w, outHeight = turned ? w : h;
    std::vector<std::uint8_t> out(samples.size());
    for (std::size_t oy = 0; oy < outHeight; ++oy)
        for (std::size_t ox = 0; ox < outWidth; ++ox) {
            std::size_t x = ox, y = oy;
            switch (orientation) {
            case 2: x = w - 1 - ox; break;
            case 3: x = w - 1 - ox, y = h - 1 - oy; break;
            case 4: y = h - 1 - oy; break;
            case 5: x = oy, y = ox; break;
            case 6: x = oy, y = h - 1 - ox; break;
            case 7: x = w - 1 - oy, y = h - 1 - ox; break;
            case 8: x = w - 1 - oy, y = ox; break;
            }
            std::memcpy(out.data() + (oy * outWidth + ox) * n, samples.data() + (y * w + x) * n, n);
        }
    width = static_cast<std::uint32_t>(outWidth);
    height = static_cast<std::uint32_t>(outHeight);
    return out;
}

std::optional<TJpegPixels> DecodeJpeg(std::span<const std::uint8_t> bytes, std::string* refusal)
{
    if (bytes.empty()) {
        if (refusal) *refusal = "empty file";
        return std::nullopt;
    }
    TJpegReader reader(bytes);
    jpeg_decompress_struct& info = reader.Info();
    TJpegPixels pixels;
    const bool read = [&] {
        if (reader.Failed() || reader.TooLarge() || !reader.Start()) return false;
        pixels.width = info.output_width;
        pixels.height = info.output_height;
        pixels.components = info.output_components;
        pixels.colorSpace = info.out_color_space;
        const std::size_t stride = std::size_t{pixels.width} * static_cast<std::size_t>(pixels.components);
        pixels.samples.resize(stride * pixels.height);
        while (info.output_scanline < info.output_height) {
            JSAMPROW row = pixels.samples.data() + stride * info.output_scanline;
            if (!reader.ReadRows(&row, 1)) return false;
        }
        return reader.Finish();
    }();
    if (!read) {
        if (refusal) *refusal = reader.Failure();  // empty for a picture too large to check
        return std::nullopt;
    }
    pixels.warnings = reader.Warnings();
    pixels.orientation = reader.Orientation();
    pixels.samples = Orient(std::move(pixels.samples), pixels.width, pixels.height, pixels.components,
                            pixels.orientation);
    return pixels;
}
