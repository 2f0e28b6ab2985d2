#pragma once
// One frame: image descriptor, local color table, extensions, pixels; and
// what a frame needs of the image it belongs to.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "gif/GIFColorMap.h"
#include "gif/GIFExtension.h"
#include "gif/GIFExtensionList.h"
#include "gif/GIFItem.h"

class TGIFSubImage;

// What a frame needs of the image it belongs to; its warnings go there too.
class TGIFFrameOwner : public TGIFWarningSink {
public:
    // Used by frames without colors of their own.
    virtual TGIFGlobalColorMap& GlobalColorMap() = 0;
    // The logical screen, which a frame read with a zero size takes.
    virtual int ScreenWidth() const = 0;
    virtual int ScreenHeight() const = 0;
    // The frame moved or changed size: the logical screen grows to contain it.
    virtual void FrameBoundsChanged(const TGIFSubImage& frame) = 0;
    // Pixel memory of all frames together: Reserve raises "Image is too large"
    // past the bound and counts nothing then.
    virtual void ReservePixelBytes(std::uint64_t bytes) = 0;
    virtual void ReleasePixelBytes(std::uint64_t bytes) = 0;
    // How image data is written: the largest IndexBits of all color maps and
    // the compression method (0 LZW, 1 run-length).
    virtual int MaxIndexBits() const = 0;
    virtual int FrameCompressionMethod() const = 0;
    // The reader has just decoded the frame's pixels.
    virtual void FrameRead(TGIFSubImage& frame) = 0;
    // Frames are read without their image data (no pixels).
    virtual bool SkipsImageData() const = 0;

protected:
    ~TGIFFrameOwner() = default;
};

class TGIFGraphicControlExtension;

class TGIFSubImage : public TGIFItem, public TGIFColorMapOwner, public TGIFExtensionOwner {
public:
    // owner may be null (a free-standing frame).
    explicit TGIFSubImage(TGIFFrameOwner* owner);
    ~TGIFSubImage() override;

    TGIFFrameOwner* Owner() const { return fOwner; }

    // Image descriptor.
    int Left() const { return fLeft; }
    int Top() const { return fTop; }
    int Width() const { return fWidth; }
    int Height() const { return fHeight; }
    std::uint8_t PackedFields() const { return fPackedFields; }
    // Changing the size drops the pixels and allocates fresh zero ones; each
    // setter then grows the logical screen to contain the frame (with warnings).
    void SetLeft(int value);
    void SetTop(int value);
    void SetWidth(int value);
    void SetHeight(int value);
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
    // Whether the pixel shows the transparent index or is a wildcard.
    bool ShowsNothing(std::size_t index) const
    {
        return (fTransparent && fPixels[index] == TransparentIndex()) || IsWildcard(index);
    }
    // Keeps the rectangle (in frame coordinates) of the pixels and wildcards;
    // the frame moves there and takes its size, without new pixel memory.
    void CropTo(int left, int top, int width, int height);

    TGIFLocalColorMap& ColorMap() { return fColorMap; }
    const TGIFLocalColorMap& ColorMap() const { return fColorMap; }
    // The local map when it has entries, else the global map when it has
    // entries, else the (empty) local map.
    TGIFColorMap& EffectiveColorMap();
    const TGIFColorMap& EffectiveColorMap() const;

    TGIFExtensionList& Extensions() { return fExtensions; }
    const TGIFExtensionList& Extensions() const { return fExtensions; }
    // The first graphic control extension created for the frame, or null.
    TGIFGraphicControlExtension* GraphicControl() const { return fGraphicControl; }
    // Mirror of the graphic control's transparency flag.
    bool Transparent() const { return fTransparent; }
    // The graphic control's TransparentIndex (0 without one).
    int TransparentIndex() const;

    // Deletes extensions, resets the local map, drops pixels, zero size, no transparency.
    void Clear();
    int RequiredVersion() const override;

    // Rendering cache of this frame (bitmap, mask, palette); dropped on any change.
    std::unique_ptr<TGIFRenderCache> RenderCache;
    void ReleaseRendering() { RenderCache.reset(); }

    // Extensions, then (unless the next byte ends the frame) descriptor, local
    // map and pixels; tells the owner when the pixels are decoded.
    void ReadFrom(TStream& stream) override;
    // Extensions, then (unless empty) descriptor, local map and image data.
    // A frame with wildcards is written in the shorter of two ways (see .cpp).
    void WriteTo(TStream& stream) override;
    void DecodePixels(TStream& stream);
    // The pixels marked in `transparent` (one bit each) are written as the
    // transparent index.
    void EncodePixels(TStream& stream, const std::uint8_t* transparent = nullptr);
    // Recomputes PackedFields before a write: 0x80 | sort | bits for a local map
    // (interlace cleared), else the interlace and reserved bits only.
    void UpdateDescriptorFlags();

private:
    // The local color map's owner.
    void ColorMapWarning(const TGIFColorMap& map, int severity, const std::string& message) const override;
    void CountColorUsage(const TGIFColorMap& map, TGIFUsage& usage) const override;
    void RemapColorPixels(const TGIFColorMap& map, const TGIFTranslation& translation) override;
    void ColorMapChanged(const TGIFColorMap& map) override;
    bool ColorMapInUse(const TGIFColorMap& map) const override;
    // The extensions' owner.
    const TGIFWarningSink* ExtensionWarnings() const override;
    int EffectiveColorCount() const override;
    void AttachGraphicControl(TGIFGraphicControlExtension* extension) override;
    void DetachGraphicControl(TGIFGraphicControlExtension* extension) override;
    void SetTransparentMark(bool on) override;

    void ChangeBounds(int left, int top, int width, int height);
    void KeepLastGraphicControl();
    void WriteImage(TStream& stream, const std::uint8_t* transparent);
    // The first `rows` rows only (in natural order when fewer than all).
    void EncodePixels(TStream& stream, const std::uint8_t* transparent, int rows);

    TGIFFrameOwner* fOwner;
    std::vector<std::uint8_t> fPixels;
    std::vector<std::uint8_t> fWildcards;
    std::uint64_t fPixelsCounted = 0, fWildcardsCounted = 0;  // bytes reserved with the owner
    TGIFLocalColorMap fColorMap;
    int fLeft = 0, fTop = 0, fWidth = 0, fHeight = 0;
    std::uint8_t fPackedFields = 0;
    TGIFExtensionList fExtensions;
    bool fTransparent = false;
    TGIFGraphicControlExtension* fGraphicControl = nullptr;
};
