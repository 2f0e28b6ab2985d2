#include "gif/FrameImport.h"

#include <array>
#include <cmath>
#include <unordered_set>
#include <vector>

#include "gif/ColorMapPalettes.h"
#include "gif/FrameRenderer.h"
#include "gif/ImageProgress.h"
#include "gif/Palettes.h"

namespace {

const std::string kConverting = "Converting...";

bool HasAtMost256Colors(const TBitmap& bitmap)
{
    std::unordered_set<std::uint32_t> seen;
    for (int y = 0; y < bitmap.Height(); ++y)
        for (int x = 0; x < bitmap.Width(); ++x)
            if (seen.insert(bitmap.PixelIndex(x, y)).second && seen.size() > 256) return false;
    return true;
}

// Reduces a 24-bit bitmap with too many colors to an 8-bit one.
TBitmap ReduceColors(const TBitmap& bitmap, int reductionMethod)
{
    if (reductionMethod == 0 || HasAtMost256Colors(bitmap)) return bitmap;
    TBitmap result(bitmap.Width(), bitmap.Height(), TPixelFormat::pf8bit);
    result.SetColorTable(WebSafePalette());
    TNearestColor nearest(WebSafePalette());
    for (int y = 0; y < bitmap.Height(); ++y) {
        std::uint8_t* row = result.ScanLine(y);
        for (int x = 0; x < bitmap.Width(); ++x) row[x] = std::uint8_t(nearest.Find(bitmap.PixelColor(x, y)));
    }
    result.Transparent = bitmap.Transparent;
    result.HasTransparentColor = true;
    result.TransparentColor = bitmap.EffectiveTransparentColor();
    return result;
}

void ReportRows(const TGIFImage* image, int y, int height)
{
    if (image && y % 32 == 0)
        image->Progress(TGIFProgressStage::Running, int(std::lround(y * 100.0 / height)), kConverting);
}

void ImportPixels(TGIFSubImage& frame, TBitmap& source, TPixelFormat format)
{
    const int w = frame.Width(), h = frame.Height();
    TGIFColorMap& map = frame.ColorMap();
    TDIBReader reader(source, format);
    std::uint8_t* pixels = frame.Pixels();
    switch (format) {
    case TPixelFormat::pf8bit:
        ImportBitmapColorTable(map, source);
        for (int y = 0; y < h; ++y) {
            ReportRows(ImageOf(frame), y, h);
            std::copy_n(reader.ScanLine(y), w, pixels + std::size_t(y) * std::size_t(w));
        }
        break;
    case TPixelFormat::pf1bit:
    case TPixelFormat::pf4bit:
        ImportBitmapColorTable(map, source);
        for (int y = 0; y < h; ++y) {
            const std::uint8_t* row = reader.ScanLine(y);
            std::uint8_t* to = pixels + std::size_t(y) * std::size_t(w);
            for (int x = 0; x < w; ++x)
                to[x] = format == TPixelFormat::pf1bit ? (row[x >> 3] >> (7 - (x & 7))) & 1
                                                       : ((x & 1) ? row[x >> 1] & 0x0F : row[x >> 1] >> 4);
        }
        break;
    case TPixelFormat::pf24bit: {
        map.ResetColors();
        // The eight colors added last, searched from the most recent backwards.
        std::array<std::uint32_t, 8> recent{};
        std::array<std::uint8_t, 8> recentIndex{};
        int filled = 0, next = 0;
        for (int y = 0; y < h; ++y) {
            ReportRows(ImageOf(frame), y, h);
            const std::uint8_t* row = reader.ScanLine(y);
            std::uint8_t* to = pixels + std::size_t(y) * std::size_t(w);
            for (int x = 0; x < w; ++x) {
                const std::uint8_t* p = row + 3 * x;
                const std::uint32_t color = GIFColor(p[2], p[1], p[0]);
                int found = -1;
                for (int k = 0; k < filled && found < 0; ++k) {
                    const int slot = (next - 1 - k + 8) % 8;
                    if (recent[std::size_t(slot)] == color) found = recentIndex[std::size_t(slot)];
                }
                if (found < 0) {
                    found = map.AddUniqueColor(color);
                    recent[std::size_t(next)] = color;
                    recentIndex[std::size_t(next)] = std::uint8_t(found);
                    next = (next + 1) % 8;
                    filled = std::min(filled + 1, 8);
                }
                to[x] = std::uint8_t(found);
            }
        }
        break;
    }
    }
}

void ApplyTransparency(TGIFSubImage& frame, const TBitmap& mask)
{
    TGIFColorMap& map = frame.ColorMap();
    map.SortByUsage();
    if (map.EntryCount() < 1 || map.EntryCount() > 255) return;
    const int a = map.AppendColor(GIFColor(0, 0, 0));
    bool any = false;
    for (int y = 0; y < frame.Height(); ++y) {
        std::uint8_t* row = frame.Pixels() + std::size_t(y) * std::size_t(frame.Width());
        for (int x = 0; x < frame.Width(); ++x)
            if (mask.PixelIndex(x, y)) {
                row[x] = std::uint8_t(a);
                any = true;
            }
    }
    if (!any) {
        map.DeleteColor(a);
        return;
    }
    auto control = std::make_unique<TGIFGraphicControlExtension>(&frame);
    control->SetTransparentFlag(true);
    control->SetTransparentIndex(a);
    frame.Extensions().Add(std::move(control));
}

}  // namespace

void AssignBitmap(TGIFSubImage& frame, const TBitmap& bitmap)
{
    frame.Clear();
    if (bitmap.Empty()) return;
    frame.SetWidth(bitmap.Width());
    frame.SetHeight(bitmap.Height());
    const TGIFImage* image = ImageOf(frame);

    TPixelFormat format = bitmap.PixelFormat();
    TBitmap copy = format == TPixelFormat::pf24bit ? ReduceColors(bitmap, image ? image->ReductionMethod : 6) : bitmap;
    format = copy.PixelFormat();
    frame.AllocatePixels();
    WithProgress(image, kConverting, [&] {
        ImportPixels(frame, copy, format);
        if (bitmap.Transparent) ApplyTransparency(frame, copy.TransparencyMask());
        // The frame's pixels and colors are its content; its rendered bitmap
        // is made again when it is drawn, so no copy of the bitmap is kept.
    });
}

int AddFrame(TGIFImage& image, const TBitmap& bitmap)
{
    auto frame = std::make_unique<TGIFSubImage>(&image);
    AssignBitmap(*frame, bitmap);
    return AddFrame(image, std::move(frame));
}

int AddFrame(TGIFImage& image, std::unique_ptr<TGIFSubImage> frame)
{
    image.Images().Add(std::move(frame));
    image.ReleaseRendering();
    return image.Images().Count() - 1;
}
