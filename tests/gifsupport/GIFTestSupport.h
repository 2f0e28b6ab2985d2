#pragma once
// Helpers for the GIF engine tests: hand-made GIF bytes, LZW code packing,
// warning capture, the corpus, and giflib as an independent decoder.
#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "gif/GIFImage.h"

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

// Collects warnings of an image.
struct WarningLog {
    std::vector<std::string> messages;
    void Attach(TGIFImage& image);
    bool Has(const std::string& message) const;
    int Count(const std::string& message) const;
};

// An empty image whose warnings are collected.
struct ImageFixture : ::testing::Test {
    TGIFImage image;
    WarningLog log;
    void SetUp() override { log.Attach(image); }
    // Appends a frame of the given size.
    TGIFSubImage* AddFrame(int width, int height);
};

// Reads bytes into image; returns the exception message or "" on success.
std::string ReadError(TGIFImage& image, const Bytes& bytes);
// Writes image with the given compression method into written; returns the
// exception message or "" on success.
std::string WriteError(TGIFImage& image, int method, Bytes& written);

// Every GIF of the corpus, sorted (absolute paths).
std::vector<std::string> CorpusFiles();
std::string CorpusName(const std::string& path);
Bytes LoadFile(const std::string& path);

// One frame as an independent decoder sees it.
struct OracleFrame {
    int left = 0, top = 0, width = 0, height = 0;
    Bytes indices;                   // width x height, rows top to bottom
    std::vector<std::uint32_t> map;  // effective color map (0xRRGGBB)
};
struct OracleImage {
    bool ok = false;
    int width = 0, height = 0;
    std::vector<OracleFrame> frames;
};
bool OracleAvailable();
// giflib's DGifSlurp of the file (ok = false when giflib rejects it).
OracleImage OracleDecode(const std::string& path);

// Our frames that carry an image (extension-only frames left out).
std::vector<TGIFSubImage*> ImageFrames(TGIFImage& image);
std::uint32_t RGBOf(const TGIFColorMap& map, int index);

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
