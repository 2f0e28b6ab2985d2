#include "compressors/verify/JpegReader.h"

#include "compressors/verify/ImageLibraries.h"

#include <cstring>

#include "compressors/verify/PngPixels.h"

namespace {

unsigned Number(std::span<const std::uint8_t> tiff, std::size_t at, int size, bool big)
{
    unsigned value = 0;
    for (int i = 0; i < size; ++i) {
        const unsigned byte = tiff[at + (big ? i : size - 1 - i)];
        value = value << 8 | byte;
    }
    return value;
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

// Every step that may call into libjpeg-turbo sets the jump first: its error
// handler leaves through longjmp, and only members change in these frames.

void TJpegReader::Fail(j_common_ptr info)
{
    auto* errors = reinterpret_cast<TErrors*>(info->err);
    info->err->format_message(info, errors->message);
    std::longjmp(errors->jump, 1);
}

void TJpegReader::Message(j_common_ptr info, int level)
{
    if (level < 0) ++reinterpret_cast<TErrors*>(info->err)->warnings;
}

TJpegReader::TJpegReader(std::span<const std::uint8_t> bytes)
{
    info_.err = JpegCalls().std_error(&errors_.base);
    errors_.base.error_exit = &Fail;
    errors_.base.emit_message = &Message;
    ReadHeader(bytes);
}

TJpegReader::~TJpegReader()
{
    if (created_) JpegCalls().destroy_decompress(&info_);
}

void TJpegReader::ReadHeader(std::span<const std::uint8_t> bytes)
{
    if (setjmp(errors_.jump)) {
        failed_ = true;
        return;
    }
    JpegCalls().CreateDecompress(&info_, JPEG_LIB_VERSION, sizeof(jpeg_decompress_struct));
    created_ = true;
    JpegCalls().mem_src(&info_, bytes.data(), static_cast<unsigned long>(bytes.size()));
    JpegCalls().save_markers(&info_, JPEG_APP0 + 1, 0xffff);
    JpegCalls().read_header(&info_, TRUE);
    for (jpeg_saved_marker_ptr marker = info_.marker_list; marker; marker = marker->next)
        if (marker->marker == JPEG_APP0 + 1 && marker->data_length >= 6 && std::memcmp(marker->data, "Exif", 4) == 0) {
            orientation_ = ExifOrientation({marker->data, marker->data_length});
            break;
        }
}

bool TJpegReader::TooLarge() const
{
    return std::uint64_t{info_.image_width} * info_.image_height > kMaxCheckedPixels;
}

bool TJpegReader::Start()
{
    if (failed_) return false;
    if (setjmp(errors_.jump)) {
        failed_ = true;
        return false;
    }
    JpegCalls().start_decompress(&info_);
    return true;
}

bool TJpegReader::ReadRows(JSAMPARRAY rows, JDIMENSION count)
{
    if (failed_) return false;
    if (setjmp(errors_.jump)) {
        failed_ = true;
        return false;
    }
    for (JDIMENSION read = 0; read < count;) {
        const JDIMENSION got = JpegCalls().read_scanlines(&info_, rows + read, count - read);
        if (got == 0) return false;  // past the last row
        read += got;
    }
    return true;
}

bool TJpegReader::ReadRaw(JSAMPIMAGE planes, JDIMENSION lines)
{
    if (failed_) return false;
    if (setjmp(errors_.jump)) {
        failed_ = true;
        return false;
    }
    JpegCalls().read_raw_data(&info_, planes, lines);
    return true;
}

bool TJpegReader::Finish()
{
    if (failed_) return false;
    if (setjmp(errors_.jump)) {
        failed_ = true;
        return false;
    }
    JpegCalls().finish_decompress(&info_);
    return true;
}
