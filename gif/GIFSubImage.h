#pragma once
// One frame: image descriptor, local color table, extensions and pixels. A
// plain value owned by its image: what it needs of the image (the global
// color map, the logical screen) is passed to the functions that need it.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "gif/GIFColorMap.h"
#include "gif/GIFExtensionList.h"
#include "gif/GIFExtensions.h"
#include "gif/GIFLimits.h"

class TGIFSubImage {
public:
    // Pixel memory is counted against the budget; without one, a frame's
    // pixels alone may not pass GIFMaxPixelBytes.
    explicit TGIFSubImage(TGIFMemoryBudget* budget = nullptr) : fBudget(budget) {}
    ~TGIFSubImage();
    TGIFSubImage(const TGIFSubImage&) = delete;
    TGIFSubImage& operator=(const TGIFSubImage&) = delete;

    TGIFMemoryBudget* Budget() const { return fBudget; }
    // Bytes of pixels and wildcards counted against the budget.
    std::uint64_t CountedBytes() const { return fPixelsCounted + fWildcardsCounted; }

    // Image descriptor.
    int Left() const { return fLeft; }
    int Top() const { return fTop; }
    int Width() const { return fWidth; }
    int Height() const { return fHeight; }
    std::uint8_t PackedFields() const { return fPackedFields; }
    void SetPackedFields(std::uint8_t packed) { fPackedFields = packed; }
    // Changing the size drops the pixels and allocates fresh zero ones (the
    // image's FitScreenToFrames grows the screen to a frame that moved out).
    void SetLeft(int value);
    void SetTop(int value);
    void SetWidth(int value);
    void SetHeight(int value);
    // The descriptor's rectangle as read, without touching the pixels.
    void SetPlacement(int left, int top, int width, int height);
    bool IsInterlaced() const { return fPackedFields & 0x40; }
    void SetInterlaced(bool on) { fPackedFields = std::uint8_t(on ? fPackedFields | 0x40 : fPackedFields & ~0x40); }

    // Pixels: Width x Height color indices, rows top to bottom, no padding.
    std::uint8_t* Pixels() { return fPixels.empty() ? nullptr : fPixels.data(); }
    const std::uint8_t* Pixels() const { return fPixels.empty() ? nullptr : fPixels.data(); }
    std::size_t PixelsSize() const { return fPixels.size(); }
    // Releases, then allocates Width x Height zero bytes ("Image is too large" past the bound).
    void AllocatePixels();
    void ReleasePixels();
    // Allocates when missing; "Image is empty" for a zero area.
    void EnsurePixels();
    // No buffer, a zero size, or a zero width or height.
    bool IsEmpty() const;
    // Row y after EnsurePixels; "Invalid pixel coordinates" outside.
    std::uint8_t* ScanLine(int y);
    std::uint8_t Pixel(int x, int y) const;  // "Invalid pixel coordinates" outside
    void SetPixel(int x, int y, std::uint8_t index);
    // Adds one count per pixel to usage.
    void CountPixelUsage(TGIFUsage& usage) const;
    // Translates every pixel, and the transparent index of a transparent frame.
    void RemapPixels(const TGIFTranslation& translation);

    // Wildcards: pixels of a transparent frame that repeat what the screen
    // already shows there. Such a pixel holds its color and may be written as
    // it is or as the transparent index, whichever encodes smaller; it counts
    // as transparent for cropping. One bit per pixel (least significant bit
    // first), counted with the pixel memory; dropped with the pixels.
    bool HasWildcards() const { return !fWildcards.empty(); }
    const std::uint8_t* Wildcards() const { return fWildcards.empty() ? nullptr : fWildcards.data(); }
    bool IsWildcard(std::size_t index) const
    {
        return !fWildcards.empty() && (fWildcards[index >> 3] >> (index & 7)) & 1;
    }
    // Allocates the bits (all clear) when missing.
    void SetWildcard(std::size_t index);
    std::uint8_t* WildcardBits();
    void ReleaseWildcards();
    // Whether the pixel shows `transparent` (ShownTransparentIndex) or is a wildcard.
    bool ShowsNothing(std::size_t index, int transparent) const
    {
        return fPixels[index] == transparent || IsWildcard(index);
    }
    // Keeps the rectangle (in frame coordinates) of the pixels and wildcards;
    // the frame moves there and takes its size, without new pixel memory.
    void CropTo(int left, int top, int width, int height);

    TGIFLocalColorMap& ColorMap() { return fColorMap; }
    const TGIFLocalColorMap& ColorMap() const { return fColorMap; }
    // The local map when it has entries, else the global map when it has
    // entries, else the (empty) local map.
    TGIFColorMap& EffectiveColorMap(TGIFColorMap& global);
    const TGIFColorMap& EffectiveColorMap(const TGIFColorMap& global) const;

    TGIFExtensionList& Extensions() { return fExtensions; }
    const TGIFExtensionList& Extensions() const { return fExtensions; }
    // The frame's graphic control extension (the first one), or null.
    TGIFGraphicControlExtension* GraphicControl() const { return fExtensions.Find<TGIFGraphicControlExtension>(); }
    // Whether the graphic control marks the frame transparent.
    bool Transparent() const;
    // The graphic control's TransparentIndex (0 without one).
    int TransparentIndex() const;
    // The transparent index of a transparent frame, else -1 (no pixel shows it).
    int ShownTransparentIndex() const;
    // The graphic control's disposal method (0 without one).
    int DisposalMethod() const;
    // The graphic control, appended when missing.
    TGIFGraphicControlExtension& EnsureGraphicControl();

    // Deletes extensions, resets the local map, drops pixels, zero size.
    void Clear();
    int RequiredVersion() const;
    // Recomputes PackedFields before a write: 0x80 | sort | bits for a local map
    // (interlace cleared), else the interlace and reserved bits only.
    void UpdateDescriptorFlags();

private:
    void ChangeBounds(int left, int top, int width, int height);

    TGIFMemoryBudget* fBudget;
    std::vector<std::uint8_t> fPixels;
    std::vector<std::uint8_t> fWildcards;
    std::uint64_t fPixelsCounted = 0, fWildcardsCounted = 0;  // bytes reserved with the budget
    TGIFLocalColorMap fColorMap;
    int fLeft = 0, fTop = 0, fWidth = 0, fHeight = 0;
    std::uint8_t fPackedFields = 0;
    TGIFExtensionList fExtensions;
};
