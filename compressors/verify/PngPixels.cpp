#include "compressors/verify/PngPixels.h"

#include <algorithm>
#include <csetjmp>
#include <cstdlib>
#include <cstring>
#include <string>

#include "compressors/verify/ImageLibraries.h"

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
    auto* reader = static_cast<TMemoryReader*>(PngCalls().get_io_ptr(png));
    ++reader->reads;
    if (reader->bytes.size() - reader->position < length) PngCalls().error(png, "unexpected end of file");
    std::memcpy(data, reader->bytes.data() + reader->position, length);
    reader->position += length;
}

[[noreturn]] void Fail(png_structp png, png_const_charp message)
{
    static_cast<TMessages*>(PngCalls().get_error_ptr(png))->error = message;
    PngCalls().longjmp(png, 1);
    std::abort();  // not reached: png_longjmp jumps (the pointer's type cannot say so)
}

void Warn(png_structp png, png_const_charp message)
{
    auto* messages = static_cast<TMessages*>(PngCalls().get_error_ptr(png));
    messages->warning = message;
    messages->warningAfter = messages->reader->reads;
}

// Reads the image into `out`, 8 or 16 bits a sample as `out16` says. Only
// plain objects live in this frame: libpng leaves it with longjmp on a fault.
bool ReadInto(png_structp png, png_infop info, TMemoryReader* reader, std::vector<std::uint8_t>* rows,
              std::uint32_t* width, std::uint32_t* height, int* depth)
{
    if (setjmp(*PngCalls().set_longjmp_fn(png, std::longjmp, sizeof(std::jmp_buf)))) return false;
    PngCalls().set_read_fn(png, reader, &ReadFromMemory);
    PngCalls().read_info(png, info);
    *width = PngCalls().get_image_width(png, info);
    *height = PngCalls().get_image_height(png, info);
    if (std::uint64_t{*width} * *height > kMaxCheckedPixels) return false;
    PngCalls().set_expand(png);
    PngCalls().set_gray_to_rgb(png);
    const int type = PngCalls().get_color_type(png, info);
    if (!(type & PNG_COLOR_MASK_ALPHA) && !PngCalls().get_valid(png, info, PNG_INFO_tRNS))
        PngCalls().set_filler(png, 0xffff, PNG_FILLER_AFTER);
    const int passes = PngCalls().set_interlace_handling(png);
    PngCalls().read_update_info(png, info);
    *depth = PngCalls().get_bit_depth(png, info);
    const std::size_t stride = PngCalls().get_rowbytes(png, info);
    if (stride != std::size_t{*width} * 4 * (*depth / 8)) return false;
    rows->resize(stride * *height);
    for (int pass = 0; pass < passes; ++pass)
        for (std::uint32_t y = 0; y < *height; ++y) PngCalls().read_row(png, rows->data() + stride * y, nullptr);
    PngCalls().read_end(png, nullptr);
    return true;
}

}  // namespace

std::optional<TPngPixels> DecodePng(std::span<const std::uint8_t> bytes, std::string* refusal)
{
    if (bytes.size() < 8 || PngCalls().sig_cmp(bytes.data(), 0, 8) != 0) {
        if (refusal) *refusal = "not a PNG file";
        return std::nullopt;
    }
    TMemoryReader reader{bytes};
    TMessages messages;
    messages.reader = &reader;
    png_structp png = PngCalls().create_read_struct(PNG_LIBPNG_VER_STRING, &messages, &Fail, &Warn);
    if (!png) return std::nullopt;
    png_infop info = PngCalls().create_info_struct(png);
    std::vector<std::uint8_t> rows;
    std::uint32_t width = 0, height = 0;
    int depth = 0;
    const bool read = info && ReadInto(png, info, &reader, &rows, &width, &height, &depth);
    PngCalls().destroy_read_struct(&png, info ? &info : nullptr, nullptr);
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
