#pragma once
// Signature, logical screen descriptor and global color table of a GIF.
#include <cstdint>

#include "gif/GIFColorMap.h"
#include "gif/GIFItem.h"

class TGIFHeader : public TGIFItem {
public:
    explicit TGIFHeader(TGIFImage* image);

    // Logical screen descriptor, as in the file.
    std::uint16_t ScreenWidth = 0;
    std::uint16_t ScreenHeight = 0;
    std::uint8_t PackedFields = 0;
    std::uint8_t BackgroundIndex = 0;
    std::uint8_t AspectRatio = 0;

    TGIFGlobalColorMap& ColorMap() { return fColorMap; }
    const TGIFGlobalColorMap& ColorMap() const { return fColorMap; }

    // Resets the global map and zeroes the descriptor.
    void Clear();
    // Copy-from another header (map and descriptor bytes).
    void Assign(const TGIFHeader& source);
    // Copy-from a color map: clears the header, then copies the map.
    void AssignColorMap(const TGIFColorMap& source);
    // Version this header alone would need (89a for a sorted map or an aspect ratio).
    int RequiredVersion() const override;
    // ColorAt(BackgroundIndex) of the global map.
    TGIFColor BackgroundColor();
    // Recomputes PackedFields from the maps of the whole image (done on every write).
    void UpdatePackedFields();
    // "Image is too large" when ScreenWidth x ScreenHeight exceeds the pixel bound.
    void CheckScreenSize() const;

    void ReadFrom(TStream& stream) override;  // GIFReader.cpp
    void WriteTo(TStream& stream) override;   // GIFWriter.cpp

private:
    TGIFGlobalColorMap fColorMap;
};

// The trailer byte (0x3B); exists only during a read or write.
class TGIFTrailer : public TGIFItem {
public:
    explicit TGIFTrailer(TGIFImage* image) : TGIFItem(image) {}
    void ReadFrom(TStream& stream) override;  // GIFReader.cpp
    void WriteTo(TStream& stream) override;   // GIFWriter.cpp
};
