#pragma once
// The engine's own small bitmap: the drawing surface that frames are rendered
// to and imported from. Pixel formats of 1, 4, 8 (indexed, with a color table)
// and 24 bits (blue, green, red bytes) per pixel; rows run top to bottom, each
// padded to a multiple of 4 bytes as in a device-independent bitmap.

// Its faults are GIFExceptions ("Unsupported PixelFormat", "Invalid image
// dimensions", "Scan line index out of range").

#include <cstddef>
#include <cstdint>
#include <vector>

#include "gif/Palettes.h"

// Numbered as the platform bitmap numbers them.
enum class TPixelFormat : std::uint8_t { pf1bit = 1, pf4bit = 2, pf8bit = 3, pf24bit = 6 };

// Screen rectangle; right and bottom exclusive.
struct TBitmapRect {
    int Left = 0, Top = 0, Right = 0, Bottom = 0;
    int Width() const { return Right - Left; }
    int Height() const { return Bottom - Top; }
    friend bool operator==(const TBitmapRect&, const TBitmapRect&) = default;
};

int BitsPerPixel(TPixelFormat format);
// Bytes per row for a width and bit depth, rounded up to a multiple of `alignBytes`.
std::size_t RowBytes(int width, int bitsPerPixel, int alignBytes = 4);

class TBitmap {
public:
    // An empty 24-bit bitmap.
    TBitmap() = default;
    // A white bitmap; indexed formats get the halftone palette.
    TBitmap(int width, int height, TPixelFormat format = TPixelFormat::pf24bit);

    int Width() const { return width_; }
    int Height() const { return height_; }
    bool Empty() const { return width_ == 0 || height_ == 0; }
    // Resizing keeps the overlapping pixels; new pixels are white.
    void SetWidth(int width) { Resize(width, height_); }
    void SetHeight(int height) { Resize(width_, height); }
    void Resize(int width, int height);

    TPixelFormat PixelFormat() const { return format_; }
    // Converts the pixels. Going to an indexed format installs the halftone
    // palette (1 bit: black and white; 4 bits: its first 16 entries spread over
    // the cube) and maps every color to its nearest entry.
    void SetPixelFormat(TPixelFormat format);
    int BitsPerPixel() const { return ::BitsPerPixel(format_); }
    std::size_t Stride() const { return stride_; }

    // Row y (0 = top); throws "Scan line index out of range".
    std::uint8_t* ScanLine(int y);
    const std::uint8_t* ScanLine(int y) const;

    // Color table of an indexed bitmap (empty for 24 bits). Setting it keeps
    // the pixel indices.
    const TPalette& ColorTable() const { return colors_; }
    void SetColorTable(TPalette colors);

    // Pixel access in any format; indices past the color table read black.
    unsigned PixelIndex(int x, int y) const;
    void SetPixelIndex(int x, int y, unsigned index);
    TRGB PixelColor(int x, int y) const;
    void SetPixelColor(int x, int y, TRGB color);  // indexed: nearest entry

    // Transparency as the platform bitmap has it: when set, pixels of the
    // transparent color (by default the bottom-left pixel's) are see-through.
    bool Transparent = false;
    bool HasTransparentColor = false;
    TRGB TransparentColor;
    TRGB EffectiveTransparentColor() const;
    // 1-bit mask of the bitmap's size: bit set where the pixel shows the
    // transparent color. All clear when the bitmap is not transparent.
    TBitmap TransparencyMask() const;

    // Monochrome bitmap made from rows of `rowBytes` bytes each, most
    // significant bit first; its table is black, white.
    static TBitmap FromMonoRows(int width, int height, const std::uint8_t* rows, std::size_t rowBytes);

private:
    void Allocate(int width, int height, TPixelFormat format);
    void FillWhite();

    int width_ = 0;
    int height_ = 0;
    TPixelFormat format_ = TPixelFormat::pf24bit;
    std::size_t stride_ = 0;
    std::vector<std::uint8_t> bits_;
    TPalette colors_;
};
