#include "gif/FrameRenderer.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "gif/Canvas.h"
#include "gif/ColorMapPalettes.h"
#include "gif/ImageProgress.h"

namespace {

const std::string kRendering = "Rendering...";

int MulDiv(int a, int b, int c)
{
    if (c == 0) return -1;
    return int(std::lround(double(a) * double(b) / double(c)));
}

TPaletteHandle WebSafeHandle()
{
    static const TPaletteHandle palette = std::make_shared<TPalette>(WebSafePalette());
    return palette;
}

TImageRendering& ImageRendering(TGIFImage& image)
{
    if (auto* cache = dynamic_cast<TImageRendering*>(image.RenderCache.get())) return *cache;
    image.RenderCache = std::make_unique<TImageRendering>();
    return static_cast<TImageRendering&>(*image.RenderCache);
}

void ReportRows(const TGIFSubImage& frame, int y, int height)
{
    if (y % 32 != 0) return;
    if (const TGIFImage* image = ImageOf(frame))
        image->Progress(TGIFProgressStage::Running, MulDiv(y, 100, height), kRendering);
}

// Builds the mask rows alongside the pixels; keeps them only when a bit is set.
class TMaskBuilder {
public:
    TMaskBuilder(int width, int height, bool active)
        : fActive(active), fWidth(width), fHeight(height), fRowBytes(MaskRowBytes(width))
    {
        if (fActive) fRows.assign(fRowBytes * std::size_t(height), 0);
    }
    bool Active() const { return fActive; }
    void Set(int x, int y)
    {
        fRows[std::size_t(y) * fRowBytes + std::size_t(x / 8)] |= std::uint8_t(0x80 >> (x % 8));
        fAny = true;
    }
    std::unique_ptr<TBitmap> Take() const
    {
        if (!fActive || !fAny) return nullptr;
        return std::make_unique<TBitmap>(TBitmap::FromMonoRows(fWidth, fHeight, fRows.data(), fRowBytes));
    }

private:
    bool fActive;
    bool fAny = false;
    int fWidth, fHeight;
    std::size_t fRowBytes;
    std::vector<std::uint8_t> fRows;
};

std::unique_ptr<TBitmap> RenderDirect(TGIFSubImage& frame, TFrameRendering& cache)
{
    const int w = frame.Width(), h = frame.Height();
    auto bitmap = std::make_unique<TBitmap>();
    const TPaletteHandle palette = FramePalette(frame);
    TDIBWriter writer(*bitmap, palette.get(), h, w, TPixelFormat::pf8bit);
    TMaskBuilder mask(w, h, cache.MaskStale && frame.Transparent());
    cache.MaskStale = false;
    const int t = frame.TransparentIndex();
    const std::uint8_t* pixels = frame.Pixels();
    for (int y = 0; y < h; ++y) {
        ReportRows(frame, y, h);
        const std::uint8_t* from = pixels + std::size_t(y) * std::size_t(w);
        std::copy(from, from + w, writer.ScanLine(y));
        if (mask.Active())
            for (int x = 0; x < w; ++x)
                if (from[x] == t) mask.Set(x, y);
    }
    cache.FrameMask = mask.Take();
    writer.Release();
    return bitmap;
}

// Floyd-Steinberg over the web-safe cube, rows in serpentine order.
std::unique_ptr<TBitmap> RenderDithered(TGIFSubImage& frame, TFrameRendering& cache)
{
    const int w = frame.Width(), h = frame.Height();
    auto bitmap = std::make_unique<TBitmap>();
    TDIBWriter writer(*bitmap, &WebSafePalette(), h, w, TPixelFormat::pf8bit);
    TMaskBuilder mask(w, h, cache.MaskStale && frame.Transparent());
    cache.MaskStale = false;
    const int t = frame.TransparentIndex();
    const TGIFColorMap& map = frame.EffectiveColorMap();
    // Error rows in sixteenths, with one guard slot at each end.
    std::vector<int> current(3 * std::size_t(w + 2)), next(3 * std::size_t(w + 2));
    const std::uint8_t* pixels = frame.Pixels();
    for (int y = 0; y < h; ++y) {
        ReportRows(frame, y, h);
        std::uint8_t* out = writer.ScanLine(y);
        const std::uint8_t* from = pixels + std::size_t(y) * std::size_t(w);
        const bool forward = y % 2 == 0;
        std::fill(next.begin(), next.end(), 0);
        for (int step = 0; step < w; ++step) {
            const int x = forward ? step : w - 1 - step;
            const int dir = forward ? 1 : -1;
            if (mask.Active() && from[x] == t) {
                mask.Set(x, y);
                out[x] = 0;
                continue;
            }
            const TGIFColor color = from[x] < map.EntryCount() ? map.Color(from[x]) : 0;
            int channel[3] = {int(color & 0xFF), int((color >> 8) & 0xFF), int((color >> 16) & 0xFF)};
            int level[3];
            for (int c = 0; c < 3; ++c) {
                const int accumulated = current[3 * std::size_t(x + 1) + std::size_t(c)];
                channel[c] = std::clamp(channel[c] + (accumulated + 8) / 16, 0, 255);
                level[c] = (channel[c] + 3) / 51;
            }
            out[x] = std::uint8_t(36 * level[0] + 6 * level[1] + level[2]);
            for (int c = 0; c < 3; ++c) {
                const int error = channel[c] - 51 * level[c];
                const std::size_t slot = std::size_t(c);
                current[3 * std::size_t(x + 1 + dir) + slot] += error * 7;
                next[3 * std::size_t(x + 1 - dir) + slot] += error * 3;
                next[3 * std::size_t(x + 1) + slot] += error * 5;
                next[3 * std::size_t(x + 1 + dir) + slot] += error;
            }
        }
        current.swap(next);
    }
    cache.FrameMask = mask.Take();
    writer.Release();
    return bitmap;
}

}  // namespace

TFrameRendering& FrameRendering(TGIFSubImage& frame)
{
    if (auto* cache = dynamic_cast<TFrameRendering*>(frame.RenderCache.get())) return *cache;
    frame.RenderCache = std::make_unique<TFrameRendering>();
    return static_cast<TFrameRendering&>(*frame.RenderCache);
}

void ApplyRenderOptions(TGIFImage& image, const TGIFRenderOptions& options)
{
    image.Rendering = options;
    if (options.RenderAfterDecode)
        image.FrameReadHandler = [](TGIFSubImage& frame) { RenderFrameBitmap(frame); };
    else
        image.FrameReadHandler = nullptr;
}

bool RendersDithered(const TGIFImage& image)
{
    return (image.RenderOptions & 0x200) && (!(image.RenderOptions & 0x400) || image.Rendering.ScreenNeedsDither);
}

std::size_t MaskRowBytes(int width)
{
    return RowBytes(width, 1, 2);
}

// DIB writer and reader ----------------------------------------------------------

TDIBWriter::TDIBWriter(TBitmap& target, const TPalette* palette, int height, int width, TPixelFormat format)
    : fTarget(target), fFormat(format), fWidth(width), fHeight(height)
{
    if (format != TPixelFormat::pf8bit && format != TPixelFormat::pf24bit)
        throw GIFException("Unsupported PixelFormat");
    if (width <= 0 || height <= 0) throw GIFException("Invalid image dimensions");
    if (format == TPixelFormat::pf8bit) {
        fColors.assign(256, TRGB{});
        if (palette) std::copy_n(palette->begin(), std::min<std::size_t>(palette->size(), 256), fColors.begin());
    }
}

std::uint8_t* TDIBWriter::ScanLine(int row)
{
    if (!fHasBits) {
        try {
            fBitmap = TBitmap(fWidth, fHeight, fFormat);
        } catch (const std::bad_alloc&) {
            throw GIFException("Failed to allocate memory for GIF DIB");
        }
        fBitmap.SetColorTable(fColors);
        fHasBits = true;
    }
    if (row < 0 || row >= fHeight) throw GIFException("Scan line index out of range");
    return fBitmap.ScanLine(row);
}

void TDIBWriter::Release()
{
    if (!fHasBits) throw GIFException("Image has no DIB");
    fTarget = std::move(fBitmap);
    fHasBits = false;
}

TDIBReader::TDIBReader(TBitmap& bitmap, TPixelFormat format) : fBitmap(bitmap)
{
    fBitmap.SetPixelFormat(format);
}

// Palettes -----------------------------------------------------------------------

TPaletteHandle FramePalette(TGIFSubImage& frame)
{
    TFrameRendering& cache = FrameRendering(frame);
    if (cache.FrameBitmap && !cache.FrameBitmap->ColorTable().empty())
        return std::make_shared<TPalette>(cache.FrameBitmap->ColorTable());
    if (cache.Palette) return cache.Palette;
    TGIFImage* image = ImageOf(frame);
    if (image && RendersDithered(*image)) return cache.Palette = WebSafeHandle();
    if (frame.ColorMap().EntryCount() == 0) return image ? ImagePalette(*image) : nullptr;
    return cache.Palette = CreatePaletteHandle(frame.ColorMap());
}

TPaletteHandle ImagePalette(TGIFImage& image)
{
    TImageRendering& cache = ImageRendering(image);
    if (cache.Palette) return cache.Palette;
    if (RendersDithered(image)) return cache.Palette = WebSafeHandle();
    if (image.GlobalColorMap().EntryCount() > 0) return cache.Palette = CreatePaletteHandle(image.GlobalColorMap());
    if (image.Images().Empty()) return nullptr;
    if (cache.LookingUp) throw GIFException("No global or local color table defined");
    cache.LookingUp = true;
    try {
        TPaletteHandle palette = FramePalette(*image.Images()[0]);
        ImageRendering(image).LookingUp = false;
        return palette;
    } catch (...) {
        ImageRendering(image).LookingUp = false;
        throw;
    }
}

// Rendering ----------------------------------------------------------------------

const TBitmap* RenderFrameBitmap(TGIFSubImage& frame)
{
    TFrameRendering& cache = FrameRendering(frame);
    if (cache.FrameBitmap || frame.IsEmpty()) return cache.FrameBitmap.get();
    const TGIFImage* image = ImageOf(frame);
    WithProgress(image, kRendering, [&] {
        const bool dithered = image && RendersDithered(*image);
        std::unique_ptr<TBitmap> bitmap = dithered ? RenderDithered(frame, cache) : RenderDirect(frame, cache);
        FrameRendering(frame).FrameBitmap = std::move(bitmap);
    });
    return FrameRendering(frame).FrameBitmap.get();
}

bool EnsureMask(TGIFSubImage& frame)
{
    TFrameRendering& cache = FrameRendering(frame);
    if (cache.MaskStale && frame.Transparent()) {
        cache.FrameBitmap.reset();
        RenderFrameBitmap(frame);
    }
    return FrameRendering(frame).FrameMask != nullptr;
}

TBitmapRect ScaledFrameRect(const TGIFSubImage& frame, const TBitmapRect& target)
{
    const TGIFImage* image = ImageOf(frame);
    const int sw = image ? image->Width() : 0, sh = image ? image->Height() : 0;
    if (sw == 0 || sh == 0) return target;
    return {target.Left + MulDiv(frame.Left(), target.Width(), sw),
            target.Top + MulDiv(frame.Top(), target.Height(), sh),
            target.Left + MulDiv(frame.Left() + frame.Width(), target.Width(), sw),
            target.Top + MulDiv(frame.Top() + frame.Height(), target.Height(), sh)};
}

void BlitToCanvas(TGIFSubImage& frame, TBitmap& canvas, const TBitmapRect& rect, bool transparent, bool tile)
{
    const bool masked = transparent && frame.Transparent() && EnsureMask(frame);
    const TBitmap* bitmap = RenderFrameBitmap(frame);
    if (!bitmap) return;
    const TBitmap* mask = masked ? FrameRendering(frame).FrameMask.get() : nullptr;
    auto draw = [&](const TBitmapRect& r) {
        if (mask)
            TransparentBlit(canvas, r, *bitmap, *mask);
        else
            StretchDraw(canvas, r, *bitmap);
    };
    if (!tile) {
        draw(rect);
        return;
    }
    const TGIFImage* image = ImageOf(frame);
    const int sw = image ? image->Width() : 0, sh = image ? image->Height() : 0;
    if (sw <= 0 || sh <= 0) return;
    for (int x = rect.Left + frame.Left(); x < rect.Right; x += sw)
        for (int y = rect.Top + frame.Top(); y < rect.Bottom; y += sh)
            draw({x, y, x + frame.Width(), y + frame.Height()});
}

void DrawFrame(TGIFSubImage& frame, TBitmap& canvas, const TBitmapRect& target, bool transparent, bool tile)
{
    BlitToCanvas(frame, canvas, tile ? target : ScaledFrameRect(frame, target), transparent, tile);
}
