#include "compressors/verify/GifStill.h"

#include <gif_lib.h>

#include <algorithm>

#include "compressors/verify/GifMemory.h"
#include "compressors/verify/PngPixels.h"

namespace {

// One GIF read by giflib up to its first image, then that image row by row.
class TStillReader {
public:
    explicit TStillReader(std::span<const std::uint8_t> bytes) : memory_{bytes}
    {
        int error = 0;
        gif_ = OpenGifMemory(memory_, &error);
    }
    ~TStillReader()
    {
        int error = 0;
        if (gif_) DGifCloseFile(gif_, &error);
    }
    TStillReader(const TStillReader&) = delete;
    TStillReader& operator=(const TStillReader&) = delete;

    // Reads up to the first image's rows (an interlaced image whole); false
    // when giflib refuses the file or it holds no image.
    bool Start()
    {
        if (!gif_) return false;
        for (;;) {
            GifRecordType record = UNDEFINED_RECORD_TYPE;
            if (DGifGetRecordType(gif_, &record) != GIF_OK || record == TERMINATE_RECORD_TYPE) return false;
            if (record == IMAGE_DESC_RECORD_TYPE) break;
            if (record == EXTENSION_RECORD_TYPE && !ReadExtension()) return false;
        }
        if (DGifGetImageDesc(gif_) != GIF_OK) return false;
        frame_ = gif_->Image;
        // A browser grows the screen to the first frame's rectangle.
        width_ = std::max(gif_->SWidth, frame_.Left + frame_.Width);
        height_ = std::max(gif_->SHeight, frame_.Top + frame_.Height);
        map_ = frame_.ColorMap ? frame_.ColorMap : gif_->SColorMap;
        line_.resize(std::size_t(std::max(frame_.Width, 1)));
        if (frame_.Interlace && frame_.Width > 0) {
            rows_.resize(std::size_t(frame_.Width) * std::size_t(frame_.Height));
            static constexpr int kOffsets[] = {0, 4, 2, 1}, kJumps[] = {8, 8, 4, 2};
            for (int pass = 0; pass < 4; ++pass)
                for (int y = kOffsets[pass]; y < frame_.Height; y += kJumps[pass])
                    if (DGifGetLine(gif_, rows_.data() + std::size_t(y) * std::size_t(frame_.Width), frame_.Width) !=
                        GIF_OK)
                        return false;
        }
        return true;
    }

    int Width() const { return width_; }
    int Height() const { return height_; }

    // The screen's row y (rows asked for in order, from 0); false when giflib fails.
    bool Row(int y, std::vector<std::uint8_t>& rgba)
    {
        rgba.assign(4 * std::size_t(width_), 0);
        if (y < frame_.Top || y >= frame_.Top + frame_.Height || frame_.Width == 0) return true;
        const GifPixelType* indices = line_.data();
        if (frame_.Interlace)
            indices = rows_.data() + std::size_t(y - frame_.Top) * std::size_t(frame_.Width);
        else if (DGifGetLine(gif_, line_.data(), frame_.Width) != GIF_OK)
            return false;
        for (int x = 0; x < frame_.Width; ++x) {
            const int value = indices[x];
            if (value == control_.TransparentColor) continue;
            std::uint8_t* p = rgba.data() + 4 * std::size_t(frame_.Left + x);
            const GifColorType color = map_ && value < map_->ColorCount ? map_->Colors[value] : GifColorType{0, 0, 0};
            p[0] = color.Red, p[1] = color.Green, p[2] = color.Blue, p[3] = 255;
        }
        return true;
    }

    // After the last row: true when the file reads to its end without another image.
    bool EndsAfterOne()
    {
        for (;;) {
            GifRecordType record = UNDEFINED_RECORD_TYPE;
            if (DGifGetRecordType(gif_, &record) != GIF_OK || record == IMAGE_DESC_RECORD_TYPE) return false;
            if (record == TERMINATE_RECORD_TYPE) return true;
            if (record == EXTENSION_RECORD_TYPE && !ReadExtension()) return false;
        }
    }

private:
    // An extension's blocks; the first graphic control before the image is the image's.
    bool ReadExtension()
    {
        int code = 0;
        GifByteType* block = nullptr;
        if (DGifGetExtension(gif_, &code, &block) != GIF_OK) return false;
        if (code == GRAPHICS_EXT_FUNC_CODE && block && !seenControl_) {
            seenControl_ = true;
            DGifExtensionToGCB(block[0], block + 1, &control_);
        }
        while (block)
            if (DGifGetExtensionNext(gif_, &block) != GIF_OK) return false;
        return true;
    }

    TGifMemory memory_;
    GifFileType* gif_ = nullptr;
    GifImageDesc frame_{};
    const ColorMapObject* map_ = nullptr;
    GraphicsControlBlock control_{DISPOSAL_UNSPECIFIED, false, 0, NO_TRANSPARENT_COLOR};
    bool seenControl_ = false;
    int width_ = 0, height_ = 0;
    std::vector<GifPixelType> line_, rows_;
};

}  // namespace

std::optional<bool> SameStillGif(std::span<const std::uint8_t> a, std::span<const std::uint8_t> b,
                                 const TSameRow& sameRow)
{
    TStillReader first(a), second(b);
    if (!first.Start() || !second.Start()) return std::nullopt;
    if (first.Width() != second.Width() || first.Height() != second.Height()) return false;
    if (std::uint64_t(first.Width()) * std::uint64_t(first.Height()) > kMaxCheckedPixels) return std::nullopt;
    std::vector<std::uint8_t> rowA, rowB;
    for (int y = 0; y < first.Height(); ++y) {
        if (!first.Row(y, rowA) || !second.Row(y, rowB)) return std::nullopt;
        if (!sameRow(rowA, rowB)) return false;
    }
    if (first.EndsAfterOne() && second.EndsAfterOne()) return true;
    return std::nullopt;
}
