#pragma once
// Helpers for the GIF optimization tests: building images in memory, temp
// folders, and decoding through ImageMagick (an independent decoder).

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <vector>

#include "gif/GIFImage.h"
#include "tests/support/TempDir.h"

constexpr TGIFColor kRed = GIFColor(255, 0, 0);
constexpr TGIFColor kGreen = GIFColor(0, 255, 0);
constexpr TGIFColor kBlue = GIFColor(0, 0, 255);
constexpr TGIFColor kBlack = GIFColor(0, 0, 0);
constexpr TGIFColor kWhite = GIFColor(255, 255, 255);

void SetColors(TGIFColorMap& map, const std::vector<TGIFColor>& colors);
std::vector<TGIFColor> ColorsOf(const TGIFColorMap& map);

// Appends a frame with the given pixels (row-major, width x height).
TGIFSubImage& AddTestFrame(TGIFImage& image, int left, int top, int width, int height,
                           const std::vector<std::uint8_t>& pixels, const std::vector<TGIFColor>& localColors = {});
// Adds (or returns) the frame's graphic control extension and sets its fields.
TGIFGraphicControlExtension& SetControl(TGIFSubImage& frame, int delay, int disposal = 0, int transparentIndex = -1);
void AddLoop(TGIFSubImage& frame, std::uint16_t loopCount);
std::vector<std::uint8_t> PixelsOf(const TGIFSubImage& frame);
// The color of a frame's pixel through its effective map.
TGIFColor ColorAtPixel(const TGIFSubImage& frame, int x, int y);

void SaveImage(TGIFImage& image, const std::string& path);
std::vector<std::uint8_t> FileBytes(const std::string& path);

// One composited picture per frame, RGBA with transparent pixels as 0,0,0,0.
struct TDecodedFrame {
    std::vector<std::uint8_t> Rgba;
    int Delay = 0;
};
struct TDecoded {
    int Width = 0, Height = 0;
    std::vector<TDecodedFrame> Frames;
    int TotalDelay() const;
    // RGBA of pixel (x, y) of frame i.
    std::uint32_t Pixel(std::size_t frame, int x, int y) const;
};
// ImageMagick's view of the file (coalesced frames); nothing when it cannot read it.
std::optional<TDecoded> DecodeWithImageMagick(const std::string& path);
// Consecutive equal pictures joined, their delays added.
std::vector<TDecodedFrame> DistinctPictures(const TDecoded& decoded);
std::uint32_t Rgba(std::uint8_t r, std::uint8_t g, std::uint8_t b, std::uint8_t a = 255);
