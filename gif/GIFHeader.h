#pragma once
// Signature, logical screen descriptor and global color table of a GIF.
#include <cstdint>
#include <string>

#include "gif/GIFColorMap.h"

class TGIFHeader {
public:
    // Logical screen descriptor, as in the file.
    std::uint16_t ScreenWidth = 0;
    std::uint16_t ScreenHeight = 0;
    std::uint8_t PackedFields = 0;
    std::uint8_t BackgroundIndex = 0;
    std::uint8_t AspectRatio = 0;

    TGIFGlobalColorMap& ColorMap() { return fColorMap; }
    const TGIFGlobalColorMap& ColorMap() const { return fColorMap; }

    // Version this header alone would need (89a for a sorted map or an aspect ratio).
    int RequiredVersion() const;
    // ScreenTooLarge when ScreenWidth x ScreenHeight exceeds the pixel bound.
    void CheckScreenSize() const;

private:
    TGIFGlobalColorMap fColorMap;
};

// "Screen of W x H pixels is too large".
std::string ScreenTooLarge(int width, int height);
