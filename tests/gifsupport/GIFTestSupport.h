#pragma once
// Helpers of the GIF tests: hand-made GIF bytes and LZW codes, images built
// in memory.
#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "gif/GIFImage.h"
#include "tests/support/TempDir.h"

using Bytes = std::vector<std::uint8_t>;

// Little byte builder for hand-made streams.
struct ByteBuilder {
    Bytes bytes;
    ByteBuilder& Add(std::initializer_list<int> values);
    ByteBuilder& Text(const std::string& text);
    ByteBuilder& Word(int value);  // 16-bit little-endian
    ByteBuilder& Append(const Bytes& more);
    // Data bytes as sub-blocks of at most 255 bytes, then the terminator.
    ByteBuilder& SubBlocks(const Bytes& data, bool terminator = true);
};

// "GIF89a", a screen of w x h with a global map of 2^bits entries (gray ramp).
ByteBuilder GifHeader(int width, int height, int bits = 1, const char* signature = "GIF89a");
// An image descriptor (no local map unless flags says so).
ByteBuilder& ImageDescriptor(ByteBuilder& b, int left, int top, int width, int height, int flags = 0);

// LZW codes as (code, width) pairs, packed LSB first.
Bytes PackCodes(const std::vector<std::pair<int, int>>& codes);

// Builds an LZW code sequence with the widths a decoder expects.
class LzwCodes {
public:
    explicit LzwCodes(int minCodeSize)
        : fMin(minCodeSize), fWidth(minCodeSize + 1), fNext((1 << minCodeSize) + 2), fLimit(1 << (minCodeSize + 1))
    {
    }
    LzwCodes& Clear();
    LzwCodes& Code(int code);
    LzwCodes& End();
    int Width() const { return fWidth; }
    Bytes Pack() const { return PackCodes(fCodes); }

private:
    int fMin;
    int fWidth, fNext, fLimit;
    bool fFirst = true;
    std::vector<std::pair<int, int>> fCodes;
};

// A one-frame GIF (global map of 2^bits entries) with the given raw image data
// (code size byte, then data bytes as sub-blocks, terminator unless cut).
Bytes OneFrameGif(int width, int height, int codeSize, const Bytes& data, int flags = 0, int bits = 2,
                  bool terminator = true, bool trailer = true);

// An empty image.
struct ImageFixture : ::testing::Test {
    TGIFImage image;
    // Appends a frame of the given size (the screen grows to it).
    TGIFSubImage* AddFrame(int width, int height);
};

// Reads bytes into image; returns the exception message or "" on success.
std::string ReadError(TGIFImage& image, const Bytes& bytes);
// Writes image with the given compression method into written; returns the
// exception message or "" on success.
std::string WriteError(TGIFImage& image, int method, Bytes& written);

// The whole file (GIFException when it cannot be read).
Bytes LoadFile(const std::string& path);

// Our frames that carry an image (extension-only frames left out).
std::vector<TGIFSubImage*> ImageFrames(TGIFImage& image);
// An entry as 0xRRGGBB.
std::uint32_t RGBOf(const TGIFColorMap& map, int index);

constexpr TGIFColor kRed = GIFColor(255, 0, 0);
constexpr TGIFColor kGreen = GIFColor(0, 255, 0);
constexpr TGIFColor kBlue = GIFColor(0, 0, 255);
constexpr TGIFColor kBlack = GIFColor(0, 0, 0);
constexpr TGIFColor kWhite = GIFColor(255, 255, 255);

void SetColors(TGIFColorMap& map, const std::vector<TGIFColor>& colors);
std::vector<TGIFColor> ColorsOf(const TGIFColorMap& map);

// Appends a frame with the given pixels (row-major, width x height); the
// screen grows to it.
TGIFSubImage& AddTestFrame(TGIFImage& image, int left, int top, int width, int height,
                           const std::vector<std::uint8_t>& pixels, const std::vector<TGIFColor>& localColors = {});
// Adds (or returns) the frame's graphic control extension and sets its fields.
TGIFGraphicControlExtension& SetControl(TGIFSubImage& frame, int delay, int disposal = 0, int transparentIndex = -1);
void AddLoop(TGIFSubImage& frame, std::uint16_t loopCount);
std::vector<std::uint8_t> PixelsOf(const TGIFSubImage& frame);
// The color of a frame's pixel through its effective map.
TGIFColor ColorAtPixel(const TGIFImage& image, const TGIFSubImage& frame, int x, int y);
