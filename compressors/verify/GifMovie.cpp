#include "compressors/verify/GifMovie.h"

#include <gif_lib.h>

#include <algorithm>
#include <cstring>

#include "compressors/verify/GifMemory.h"
#include "compressors/verify/PngPixels.h"

int GifLoopCount(const GifFileType* gif)
{
    for (int i = 0; i < gif->ImageCount; ++i) {
        const SavedImage& saved = gif->SavedImages[i];
        for (int e = 0; e + 1 < saved.ExtensionBlockCount; ++e) {
            const ExtensionBlock& block = saved.ExtensionBlocks[e];
            const ExtensionBlock& data = saved.ExtensionBlocks[e + 1];
            if (block.Function == APPLICATION_EXT_FUNC_CODE && block.ByteCount == 11 &&
                std::memcmp(block.Bytes, "NETSCAPE2.0", 11) == 0 && data.ByteCount >= 3 && data.Bytes[0] == 1)
                return data.Bytes[1] | (data.Bytes[2] << 8);
        }
    }
    return -1;
}

std::unique_ptr<TGifMovie> TGifMovie::Open(std::span<const std::uint8_t> bytes)
{
    std::unique_ptr<TGifMovie> movie(new TGifMovie);
    TGifMemory source{bytes};
    int error = 0;
    movie->gif_ = OpenGifMemory(source, &error);
    if (!movie->gif_) return nullptr;
    if (DGifSlurp(movie->gif_) != GIF_OK) return nullptr;
    // A browser grows the screen to the first frame's rectangle; later frames
    // are cut to it.
    movie->width_ = movie->gif_->SWidth;
    movie->height_ = movie->gif_->SHeight;
    if (movie->gif_->ImageCount > 0) {
        const GifImageDesc& first = movie->gif_->SavedImages[0].ImageDesc;
        movie->width_ = std::max(movie->width_, first.Left + first.Width);
        movie->height_ = std::max(movie->height_, first.Top + first.Height);
    }
    if (std::uint64_t(movie->width_) * std::uint64_t(movie->height_) > kMaxCheckedPixels) return nullptr;
    movie->loopCount_ = GifLoopCount(movie->gif_);
    movie->screen_.assign(4 * std::size_t(movie->width_) * std::size_t(movie->height_), 0);
    return movie;
}

TGifMovie::~TGifMovie()
{
    int error = 0;
    if (gif_) DGifCloseFile(gif_, &error);
}

bool TGifMovie::NextFrame()
{
    if (frame_ >= gif_->ImageCount) return false;
    const int index = frame_++;
    const SavedImage& saved = gif_->SavedImages[index];
    GraphicsControlBlock control{DISPOSAL_UNSPECIFIED, false, 0, NO_TRANSPARENT_COLOR};
    DGifSavedExtensionToGCB(gif_, index, &control);
    const ColorMapObject* map = saved.ImageDesc.ColorMap ? saved.ImageDesc.ColorMap : gif_->SColorMap;
    const GifImageDesc& d = saved.ImageDesc;
    const std::size_t stride = 4 * std::size_t(width_);
    const int right = std::min(d.Left + d.Width, width_), bottom = std::min(d.Top + d.Height, height_);
    std::vector<std::uint8_t> before;
    if (control.DisposalMode == DISPOSE_PREVIOUS) before = screen_;
    for (int y = d.Top; y < bottom && saved.RasterBits; ++y)
        for (int x = d.Left; x < right; ++x) {
            const int value = saved.RasterBits[std::size_t(y - d.Top) * std::size_t(d.Width) + std::size_t(x - d.Left)];
            if (value == control.TransparentColor) continue;
            std::uint8_t* p = screen_.data() + std::size_t(y) * stride + 4 * std::size_t(x);
            const GifColorType color = map && value < map->ColorCount ? map->Colors[value] : GifColorType{0, 0, 0};
            p[0] = color.Red, p[1] = color.Green, p[2] = color.Blue, p[3] = 255;
        }
    pending_ = screen_;
    pendingDelay_ = control.DelayTime <= 1 ? 10 : control.DelayTime;
    if (control.DisposalMode == DISPOSE_PREVIOUS) {
        screen_.swap(before);
    } else if (control.DisposalMode == DISPOSE_BACKGROUND) {
        for (int y = std::max(d.Top, 0); y < bottom; ++y)
            for (int x = std::max(d.Left, 0); x < right; ++x)
                std::fill_n(screen_.data() + std::size_t(y) * stride + 4 * std::size_t(x), 4, 0);
    }
    return true;
}

bool TGifMovie::Next()
{
    if (!hasPending_ && !NextFrame()) return false;
    picture_.swap(pending_);
    duration_ = pendingDelay_;
    hasPending_ = false;
    while (NextFrame()) {
        if (pending_ != picture_) {
            hasPending_ = true;
            break;
        }
        duration_ += pendingDelay_;
    }
    return true;
}
