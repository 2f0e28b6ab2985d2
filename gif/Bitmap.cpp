#include "gif/Bitmap.h"

#include <algorithm>
#include <cstring>

#include "gif/GIFException.h"
#include "gif/Palettes.h"

int BitsPerPixel(TPixelFormat format)
{
    switch (format) {
    case TPixelFormat::pf1bit: return 1;
    case TPixelFormat::pf4bit: return 4;
    case TPixelFormat::pf8bit: return 8;
    case TPixelFormat::pf24bit: return 24;
    }
    throw GIFException("Unsupported PixelFormat");
}

std::size_t RowBytes(int width, int bitsPerPixel, int alignBytes)
{
    const std::size_t bits = std::size_t(width) * std::size_t(bitsPerPixel);
    const std::size_t alignBits = std::size_t(alignBytes) * 8;
    return (bits + alignBits - 1) / alignBits * std::size_t(alignBytes);
}

namespace {

const TPalette& DefaultPalette(TPixelFormat format)
{
    switch (format) {
    case TPixelFormat::pf1bit: return MonochromePalette();
    case TPixelFormat::pf4bit: return SixteenColorPalette();
    default: return HalftonePalette();
    }
}

void CheckSize(int width, int height)
{
    if (width < 0 || height < 0 || width > 0xFFFF * 4 || height > 0xFFFF * 4)
        throw GIFException("Invalid image dimensions");
}

}  // namespace

TBitmap::TBitmap(int width, int height, TPixelFormat format)
{
    Allocate(width, height, format);
    if (format != TPixelFormat::pf24bit) colors_ = DefaultPalette(format);
    FillWhite();
}

void TBitmap::Allocate(int width, int height, TPixelFormat format)
{
    CheckSize(width, height);
    width_ = width;
    height_ = height;
    format_ = format;
    stride_ = RowBytes(width, ::BitsPerPixel(format));
    bits_.assign(stride_ * std::size_t(height), 0);
}

void TBitmap::FillWhite()
{
    if (format_ == TPixelFormat::pf24bit) {
        std::fill(bits_.begin(), bits_.end(), 0xFF);
        return;
    }
    const unsigned white = unsigned(NearestIndex(colors_, {255, 255, 255}));
    if (format_ == TPixelFormat::pf8bit) {
        std::fill(bits_.begin(), bits_.end(), std::uint8_t(white));
        return;
    }
    for (int y = 0; y < height_; ++y)
        for (int x = 0; x < width_; ++x) SetPixelIndex(x, y, white);
}

void TBitmap::Resize(int width, int height)
{
    if (width == width_ && height == height_) return;
    TBitmap resized(width, height, format_);
    resized.colors_ = colors_;
    resized.FillWhite();
    const int w = std::min(width, width_), h = std::min(height, height_);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) resized.SetPixelIndex(x, y, PixelIndex(x, y));
    resized.Transparent = Transparent;
    resized.HasTransparentColor = HasTransparentColor;
    resized.TransparentColor = TransparentColor;
    *this = std::move(resized);
}

void TBitmap::SetPixelFormat(TPixelFormat format)
{
    if (format == format_) return;
    TBitmap converted;
    converted.Allocate(width_, height_, format);
    if (format != TPixelFormat::pf24bit) converted.colors_ = DefaultPalette(format);
    if (format == TPixelFormat::pf24bit) {
        for (int y = 0; y < height_; ++y)
            for (int x = 0; x < width_; ++x) converted.SetPixelColor(x, y, PixelColor(x, y));
    } else {
        TNearestColor nearest(converted.colors_);
        if (format_ != TPixelFormat::pf24bit) {
            const auto table = nearest.Translation(colors_);
            for (int y = 0; y < height_; ++y)
                for (int x = 0; x < width_; ++x) converted.SetPixelIndex(x, y, table[PixelIndex(x, y) & 0xFF]);
        } else {
            for (int y = 0; y < height_; ++y)
                for (int x = 0; x < width_; ++x)
                    converted.SetPixelIndex(x, y, unsigned(nearest.Find(PixelColor(x, y))));
        }
    }
    converted.Transparent = Transparent;
    converted.HasTransparentColor = HasTransparentColor;
    converted.TransparentColor = TransparentColor;
    *this = std::move(converted);
}

std::uint8_t* TBitmap::ScanLine(int y)
{
    if (y < 0 || y >= height_) throw GIFException("Scan line index out of range");
    return bits_.data() + stride_ * std::size_t(y);
}

const std::uint8_t* TBitmap::ScanLine(int y) const
{
    return const_cast<TBitmap*>(this)->ScanLine(y);
}

void TBitmap::SetColorTable(TPalette colors)
{
    if (format_ == TPixelFormat::pf24bit) return;
    const std::size_t limit = std::size_t(1) << BitsPerPixel();
    if (colors.size() > limit) colors.resize(limit);
    colors_ = std::move(colors);
}

unsigned TBitmap::PixelIndex(int x, int y) const
{
    const std::uint8_t* row = bits_.data() + stride_ * std::size_t(y);
    switch (format_) {
    case TPixelFormat::pf1bit: return (row[x >> 3] >> (7 - (x & 7))) & 1;
    case TPixelFormat::pf4bit: return (x & 1) ? row[x >> 1] & 0x0F : row[x >> 1] >> 4;
    case TPixelFormat::pf8bit: return row[x];
    case TPixelFormat::pf24bit: {
        const std::uint8_t* p = row + 3 * x;
        return unsigned(p[2]) | unsigned(p[1]) << 8 | unsigned(p[0]) << 16;
    }
    }
    return 0;
}

void TBitmap::SetPixelIndex(int x, int y, unsigned index)
{
    std::uint8_t* row = bits_.data() + stride_ * std::size_t(y);
    switch (format_) {
    case TPixelFormat::pf1bit: {
        const std::uint8_t bit = std::uint8_t(0x80 >> (x & 7));
        row[x >> 3] = (index & 1) ? row[x >> 3] | bit : row[x >> 3] & ~bit;
        break;
    }
    case TPixelFormat::pf4bit:
        row[x >> 1] = (x & 1) ? (row[x >> 1] & 0xF0) | (index & 0x0F)
                              : std::uint8_t((row[x >> 1] & 0x0F) | ((index & 0x0F) << 4));
        break;
    case TPixelFormat::pf8bit: row[x] = std::uint8_t(index); break;
    case TPixelFormat::pf24bit: {
        std::uint8_t* p = row + 3 * x;
        p[2] = std::uint8_t(index);
        p[1] = std::uint8_t(index >> 8);
        p[0] = std::uint8_t(index >> 16);
        break;
    }
    }
}

TRGB TBitmap::PixelColor(int x, int y) const
{
    const unsigned value = PixelIndex(x, y);
    if (format_ == TPixelFormat::pf24bit)
        return {std::uint8_t(value), std::uint8_t(value >> 8), std::uint8_t(value >> 16)};
    return value < colors_.size() ? colors_[value] : TRGB{};
}

void TBitmap::SetPixelColor(int x, int y, TRGB color)
{
    if (format_ == TPixelFormat::pf24bit)
        SetPixelIndex(x, y, unsigned(color.Red) | unsigned(color.Green) << 8 | unsigned(color.Blue) << 16);
    else
        SetPixelIndex(x, y, unsigned(NearestIndex(colors_, color)));
}

TRGB TBitmap::EffectiveTransparentColor() const
{
    if (HasTransparentColor || Empty()) return TransparentColor;
    return PixelColor(0, height_ - 1);
}

TBitmap TBitmap::TransparencyMask() const
{
    TBitmap mask;
    mask.Allocate(width_, height_, TPixelFormat::pf1bit);
    mask.colors_ = MonochromePalette();
    if (!Transparent || Empty()) return mask;
    const TRGB key = EffectiveTransparentColor();
    for (int y = 0; y < height_; ++y)
        for (int x = 0; x < width_; ++x)
            if (PixelColor(x, y) == key) mask.SetPixelIndex(x, y, 1);
    return mask;
}

TBitmap TBitmap::FromMonoRows(int width, int height, const std::uint8_t* rows, std::size_t rowBytes)
{
    TBitmap mask;
    mask.Allocate(width, height, TPixelFormat::pf1bit);
    mask.colors_ = MonochromePalette();
    const std::size_t used = (std::size_t(width) + 7) / 8;
    for (int y = 0; y < height; ++y)
        std::memcpy(mask.ScanLine(y), rows + rowBytes * std::size_t(y), std::min(used, rowBytes));
    return mask;
}
