#pragma once
// Signature, logical screen descriptor and global color table of a GIF, and
// the trailer byte that ends it.
#include <cstdint>

#include "gif/GIFColorMap.h"
#include "gif/GIFItem.h"

// What the header needs of the image it belongs to, which also owns the
// global color map.
class TGIFHeaderOwner : public TGIFColorMapOwner {
public:
    // The version the file is written with (gvUnknown: it cannot be written).
    virtual int FileVersion() const = 0;
    // Recomputes the header's PackedFields from all the image's color maps.
    virtual void UpdatePackedFields() = 0;

protected:
    ~TGIFHeaderOwner() = default;
};

class TGIFHeader : public TGIFItem {
public:
    // owner may be null (a free-standing header, which cannot be written).
    TGIFHeader(const TGIFWarningSink* sink, TGIFHeaderOwner* owner);

    // Logical screen descriptor, as in the file.
    std::uint16_t ScreenWidth = 0;
    std::uint16_t ScreenHeight = 0;
    std::uint8_t PackedFields = 0;
    std::uint8_t BackgroundIndex = 0;
    std::uint8_t AspectRatio = 0;

    TGIFGlobalColorMap& ColorMap() { return fColorMap; }
    const TGIFGlobalColorMap& ColorMap() const { return fColorMap; }

    // Version this header alone would need (89a for a sorted map or an aspect ratio).
    int RequiredVersion() const override;
    // "Image is too large" when ScreenWidth x ScreenHeight exceeds the pixel bound.
    void CheckScreenSize() const;

    // Signature (also after a 4-byte prefix), descriptor, global map.
    void ReadFrom(TStream& stream) override;
    // "Unsupported GIF version" for an image without frames; else the
    // signature, the descriptor with fresh PackedFields, the global map.
    void WriteTo(TStream& stream) override;

private:
    TGIFHeaderOwner* fOwner;
    TGIFGlobalColorMap fColorMap;
};

// The trailer byte (0x3B); exists only during a read or write.
class TGIFTrailer : public TGIFItem {
public:
    explicit TGIFTrailer(const TGIFWarningSink* sink) : TGIFItem(sink) {}
    // A byte other than 0x3B: warning "Invalid Image trailer" (the end of the stream is fine).
    void ReadFrom(TStream& stream) override;
    void WriteTo(TStream& stream) override;
};
