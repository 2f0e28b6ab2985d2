#pragma once
// Drawing a frame onto a bitmap: the frame's indices are rendered through its
// palette into an 8-bit bitmap (FrameBitmap) with a 1-bit mask of its
// transparent pixels (FrameMask), then copied onto the canvas at the frame's
// place, leaving the canvas as it was under transparent pixels.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>

#include "gif/Bitmap.h"
#include "gif/GIFImage.h"
#include "gif/GIFRenderOptions.h"
#include "gif/Palettes.h"

// What a frame caches for rendering; dropped by the model on any change.
class TFrameRendering : public TGIFRenderCache {
public:
    std::unique_ptr<TBitmap> FrameBitmap;
    std::unique_ptr<TBitmap> FrameMask;
    bool MaskStale = true;
    TPaletteHandle Palette;
};

// What an image caches: its palette.
class TImageRendering : public TGIFRenderCache {
public:
    TPaletteHandle Palette;
    bool LookingUp = false;
};

// The frame's rendering cache, made when missing.
TFrameRendering& FrameRendering(TGIFSubImage& frame);

// Sets the image's rendering options. With RenderAfterDecode on, the image's
// FrameReadHandler renders each frame to its bitmap as soon as it is read;
// with it off, the handler is removed.
void ApplyRenderOptions(TGIFImage& image, const TGIFRenderOptions& options);
// RenderOptions bit 0x200 dither, 0x400 auto-dither: only when the image's
// Rendering says the screen needs it.
bool RendersDithered(const TGIFImage& image);

// Bytes per row of a frame mask (16-bit aligned).
std::size_t MaskRowBytes(int width);

// Builds an uncompressed 8- or 24-bit device-independent bitmap row by row and
// hands it to the target bitmap on Release.
class TDIBWriter {
public:
    // "Unsupported PixelFormat" unless 8 or 24 bits; "Invalid image dimensions" for a zero size.
    TDIBWriter(TBitmap& target, const TPalette* palette, int height, int width, TPixelFormat format);
    // Row 0 is the top row; "Scan line index out of range" outside.
    std::uint8_t* ScanLine(int row);
    void Release();

private:
    TBitmap& fTarget;
    TBitmap fBitmap;
    TPixelFormat fFormat;
    int fWidth, fHeight;
    TPalette fColors;
    bool fHasBits = false;
};

// Reads the rows of a bitmap after converting it to the given format.
class TDIBReader {
public:
    TDIBReader(TBitmap& bitmap, TPixelFormat format);
    const std::uint8_t* ScanLine(int row) const { return fBitmap.ScanLine(row); }

private:
    TBitmap& fBitmap;
};

TPaletteHandle FramePalette(TGIFSubImage& frame);
// "No global or local color table defined" when neither the global map nor
// the first frame's local map has colors.
TPaletteHandle ImagePalette(TGIFImage& image);

// The rendered bitmap (made when missing); null for an empty frame.
const TBitmap* RenderFrameBitmap(TGIFSubImage& frame);
// Whether the frame has a mask, rebuilding a stale one of a transparent frame.
bool EnsureMask(TGIFSubImage& frame);

// Where the frame lands when the logical screen is mapped onto `target`.
TBitmapRect ScaledFrameRect(const TGIFSubImage& frame, const TBitmapRect& target);
void BlitToCanvas(TGIFSubImage& frame, TBitmap& canvas, const TBitmapRect& rect, bool transparent, bool tile);
void DrawFrame(TGIFSubImage& frame, TBitmap& canvas, const TBitmapRect& target, bool transparent, bool tile);
