#include "compressors/verify/JpegPixels.h"

#include <csetjmp>
#include <cstdio>
#include <cstring>

#include "compressors/verify/ImageLibraries.h"
#include "compressors/verify/PngPixels.h"

namespace {

struct TErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf jump;
    int warnings = 0;
    char message[JMSG_LENGTH_MAX] = "";  // the fatal error's
};

[[noreturn]] void Fail(j_common_ptr info)
{
    auto* errors = reinterpret_cast<TErrorManager*>(info->err);
    info->err->format_message(info, errors->message);
    std::longjmp(errors->jump, 1);
}

void Message(j_common_ptr info, int level)
{
    if (level < 0) ++reinterpret_cast<TErrorManager*>(info->err)->warnings;
}

unsigned Number(std::span<const std::uint8_t> tiff, std::size_t at, int size, bool big)
{
    unsigned value = 0;
    for (int i = 0; i < size; ++i) {
        const unsigned byte = tiff[at + (big ? i : size - 1 - i)];
        value = value << 8 | byte;
    }
    return value;
}

// Decodes into `pixels` (plain fields only in this frame: libjpeg leaves it
// with longjmp on a fault).
bool ReadInto(jpeg_decompress_struct* info, TErrorManager* errors, std::span<const std::uint8_t> bytes,
              TJpegPixels* pixels, int* orientation)
{
    if (setjmp(errors->jump)) return false;
    JpegCalls().CreateDecompress(info, JPEG_LIB_VERSION, sizeof(jpeg_decompress_struct));
    JpegCalls().mem_src(info, bytes.data(), static_cast<unsigned long>(bytes.size()));
    JpegCalls().save_markers(info, JPEG_APP0 + 1, 0xffff);
    JpegCalls().read_header(info, TRUE);
    for (jpeg_saved_marker_ptr marker = info->marker_list; marker; marker = marker->next)
        if (marker->marker == JPEG_APP0 + 1 && marker->data_length >= 6 && std::memcmp(marker->data, "Exif", 4) == 0) {
            *orientation = ExifOrientation({marker->data, marker->data_length});  // the first Exif segment
            break;
        }
    if (std::uint64_t{info->image_width} * info->image_height > kMaxCheckedPixels) return false;
    JpegCalls().start_decompress(info);
    pixels->width = info->output_width;
    pixels->height = info->output_height;
    pixels->components = info->output_components;
    pixels->colorSpace = info->out_color_space;
    const std::size_t stride = std::size_t{pixels->width} * static_cast<std::size_t>(pixels->components);
    pixels->samples.resize(stride * pixels->height);
    while (info->output_scanline < info->output_height) {
        JSAMPROW row = pixels->samples.data() + stride * info->output_scanline;
        JpegCalls().read_scanlines(info, &row, 1);
    }
    JpegCalls().finish_decompress(info);
    return true;
}

}  // namespace

int ExifOrientation(std::span<const std::uint8_t> app1)
{
    static constexpr std::uint8_t kExif[] = {'E', 'x', 'i', 'f', 0, 0};
    if (app1.size() < 6 + 8 || std::memcmp(app1.data(), kExif, 6) != 0) return 1;
    const std::span<const std::uint8_t> tiff = app1.subspan(6);
    const bool big = tiff[0] == 'M' && tiff[1] == 'M';
    if (!big && !(tiff[0] == 'I' && tiff[1] == 'I')) return 1;
    if (Number(tiff, 2, 2, big) != 42) return 1;
    const std::size_t ifd = Number(tiff, 4, 4, big);
    if (ifd > tiff.size() || tiff.size() - ifd < 2) return 1;
    const std::size_t count = Number(tiff, ifd, 2, big);
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t entry = ifd + 2 + 12 * i;
        if (entry + 12 > tiff.size()) return 1;
        if (Number(tiff, entry, 2, big) != 0x0112 || Number(tiff, entry + 2, 2, big) != 3) continue;
        const unsigned value = Number(tiff, entry + 8, 2, big);
        return value >= 1 && value <= 8 ? int(value) : 1;
    }
    return 1;
}

std::vector<std::uint8_t> Orient(const std::vector<std::uint8_t>& samples, std::uint32_t& width,
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
    jpeg_decompress_struct info{};
    TErrorManager errors{};
    info.err = JpegCalls().std_error(&errors.base);
    errors.base.error_exit = &Fail;
    errors.base.emit_message = &Message;
    TJpegPixels pixels;
    int orientation = 1;
    const bool read = ReadInto(&info, &errors, bytes, &pixels, &orientation);
    JpegCalls().destroy_decompress(&info);
    if (!read) {
        if (refusal) *refusal = errors.message;  // empty for a picture too large to check
        return std::nullopt;
    }
    pixels.warnings = errors.warnings;
    pixels.orientation = orientation;
    pixels.samples = Orient(pixels.samples, pixels.width, pixels.height, pixels.components, orientation);
    return pixels;
}
