#include "compressors/verify/PngPixels.h"

#include <png.h>

#include <algorithm>
#include <csetjmp>
#include <cstring>
#include <string>

namespace {

struct TMemoryReader {
    std::span<const std::uint8_t> bytes;
    std::size_t position = 0;
    std::size_t reads = 0;
};

// libpng's messages: the error that ended the read, and the last warning with
// the read it followed (libpng warns of what is wrong before it refuses a
// header: "Image height is zero in IHDR", then "Invalid IHDR data").
struct TMessages {
    const TMemoryReader* reader = nullptr;
    std::string error;
    std::string warning;
    std::size_t warningAfter = 0;
};

void ReadFromMemory(png_structp png, png_bytep data, png_size_t length)
{
    auto* reader = static_cast<TMemoryReader*>(png_get_io_ptr(png));
    ++reader->reads;
    if (reader->bytes.size() - reader->position < length) png_error(png, "unexpected end of file");
    std::memcpy(data, reader->bytes.data() + reader->position, length);
    reader->position += length;
}

[[noreturn]] void Fail(png_structp png, png_const_charp message)
{
    static_cast<TMessages*>(png_get_error_ptr(png))->error = message;
    png_longjmp(png, 1);
}

void Warn(png_structp png, png_const_charp message)
{
    auto* messages = static_cast<TMessages*>(png_get_error_ptr(png));
    messages->warning = message;
    messages->warningAfter = messages->reader->reads;
}

// Reads the image into `out`, 8 or 16 bits a sample as `out16` says. Only
// plain objects live in this frame: libpng leaves it with longjmp on a fault.
bool ReadInto(png_structp png, png_infop info, TMemoryReader* reader, std::vector<std::uint8_t>* rows,
              std::uint32_t* width, std::uint32_t* height, int* depth)
{
    if (setjmp(png_jmpbuf(png))) return false;
    png_set_read_fn(png, reader, &ReadFromMemory);
    png_read_info(png, info);
    *width = png_get_image_width(png, info);
    *height = png_get_image_height(png, info);
    if (std::uint64_t{*width} * *height > kMaxCheckedPixels) return false;
    png_set_expand(png);
    png_set_gray_to_rgb(png);
    const int type = png_get_color_type(png, info);
    if (!(type & PNG_COLOR_MASK_ALPHA) && !png_get_valid(png, info, PNG_INFO_tRNS))
        png_set_filler(png, 0xffff, PNG_FILLER_AFTER);
    const int passes = png_set_interlace_handling(png);
    png_read_update_info(png, info);
    *depth = png_get_bit_depth(png, info);
    const std::size_t stride = png_get_rowbytes(png, info);
    if (stride != std::size_t{*width} * 4 * (*depth / 8)) return false;
    rows->resize(stride * *height);
    for (int pass = 0; pass < passes; ++pass)
        for (std::uint32_t y = 0; y < *height; ++y) png_read_row(png, rows->data() + stride * y, nullptr);
    png_read_end(png, nullptr);
    return true;
}

}  // namespace

std::optional<TPngPixels> DecodePng(std::span<const std::uint8_t> bytes, std::string* refusal)
{
    if (bytes.size() < 8 || png_sig_cmp(bytes.data(), 0, 8) != 0) {
        if (refusal) *refusal = "not a PNG file";
        return std::nullopt;
    }
    TMemoryReader reader{bytes};
    TMessages messages;
    messages.reader = &reader;
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &messages, &Fail, &Warn);
    if (!png) return std::nullopt;
    png_infop info = png_create_info_struct(png);
    std::vector<std::uint8_t> rows;
    std::uint32_t width = 0, height = 0;
    int depth = 0;
    const bool read = info && ReadInto(png, info, &reader, &rows, &width, &height, &depth);
    png_destroy_read_struct(&png, info ? &info : nullptr, nullptr);
    if (!read && refusal && !messages.error.empty()) {
        *refusal = messages.error;
        if (!messages.warning.empty() && messages.warningAfter == reader.reads) *refusal += ": " + messages.warning;
    }
    if (!read || (depth != 8 && depth != 16)) return std::nullopt;
    TPngPixels pixels{width, height, {}};
    pixels.rgba.resize(std::size_t{width} * height * 4);
    if (depth == 8)
        std::transform(rows.begin(), rows.end(), pixels.rgba.begin(),
                       [](std::uint8_t v) { return std::uint16_t(v * 257); });
    else
        for (std::size_t i = 0; i < pixels.rgba.size(); ++i)
            pixels.rgba[i] = std::uint16_t(rows[2 * i] << 8 | rows[2 * i + 1]);
    return pixels;
}
