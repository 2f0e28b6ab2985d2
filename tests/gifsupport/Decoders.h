#pragma once
// Independent decoders that judge the engine's output: giflib (frames as
// stored) and ImageMagick (the pictures a viewer shows).

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// One frame as giflib sees it.
struct OracleFrame {
    int left = 0, top = 0, width = 0, height = 0;
    std::vector<std::uint8_t> indices;  // width x height, rows top to bottom
    std::vector<std::uint32_t> map;     // effective color map (0xRRGGBB)
};
struct OracleImage {
    bool ok = false;
    int width = 0, height = 0;
    std::vector<OracleFrame> frames;
};
// Whether the build found giflib.
bool OracleAvailable();
// giflib's DGifSlurp of the file (ok = false when giflib rejects it).
OracleImage OracleDecode(const std::string& path);

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
// giflib's decoding of the bytes, composited frame by frame after the GIF89a
// rules as browsers apply them: the screen starts transparent, disposal 2
// clears the frame's rectangle to transparent, 3 restores what was there
// before the frame, 0 and 1 leave the frame. Nothing when giflib cannot read
// the bytes. LoopCount: the first NETSCAPE2.0 loop count, -1 without one.
struct TComposited : TDecoded {
    int LoopCount = -1;
};
std::optional<TComposited> CompositeWithGiflib(const std::vector<std::uint8_t>& bytes);
// The pictures a viewer shows for a while: those with a delay, and the last
// one of an animation that ends (all of them when no frame has a delay);
// consecutive equal pictures joined, their delays added.
std::vector<TDecodedFrame> ShownPictures(const TComposited& decoded);

// ImageMagick's view of the file (coalesced frames); nothing when it cannot read it.
std::optional<TDecoded> DecodeWithImageMagick(const std::string& path);
// Consecutive equal pictures joined, their delays added.
std::vector<TDecodedFrame> DistinctPictures(const TDecoded& decoded);
std::uint32_t Rgba(std::uint8_t r, std::uint8_t g, std::uint8_t b, std::uint8_t a = 255);
