#pragma once
// One frame: image descriptor, local color table, extensions, pixels.
#include <cstdint>
#include <memory>
#include <vector>

#include "gif/GIFColorMap.h"
#include "gif/GIFExtension.h"
#include "gif/GIFItem.h"

class TGIFGraphicControlExtension;

class TGIFSubImage : public TGIFItem {
public:
    static constexpr std::uint8_t ImageSeparator = 0x2C;

    explicit TGIFSubImage(TGIFImage* image);
    ~TGIFSubImage() override;

    // Image descriptor.
    int Left() const { return fLeft; }
    int Top() const { return fTop; }
    int Width() const { return fWidth; }
    int Height() const { return fHeight; }
    std::uint8_t PackedFields() const { return fPackedFields; }
    void SetPackedFields(std::uint8_t value) { fPackedFields = value; }
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

    void ReadFrom(TStream& stream) override;  // GIFReader.cpp
    void WriteTo(TStream& stream) override;   // GIFWriter.cpp
    void DecodePixels(TStream& stream);       // LZWDecoder.cpp
    void EncodePixels(TStream& stream);       // GIFWriter.cpp
    // Recomputes PackedFields before a write: 0x80 | sort | bits for a local map
    // (interlace cleared), else the interlace and reserved bits only.
    void UpdateDescriptorFlags();

    // Bookkeeping used by the graphic control extension.
    void AttachGraphicControl(TGIFGraphicControlExtension* extension);
    void DetachGraphicControl(TGIFGraphicControlExtension* extension);
    void SetTransparentMark(bool on) { fTransparent = on; }

private:
    friend class TGIFImage;
    void ChangeBounds(int left, int top, int width, int height);
    void GrowScreen();
    void SetPixelBytes(std::size_t bytes);

    std::vector<std::uint8_t> fPixels;
    TGIFLocalColorMap fColorMap;
    int fLeft = 0, fTop = 0, fWidth = 0, fHeight = 0;
    std::uint8_t fPackedFields = 0;
    TGIFExtensionList fExtensions;
    bool fTransparent = false;
    TGIFGraphicControlExtension* fGraphicControl = nullptr;
};
