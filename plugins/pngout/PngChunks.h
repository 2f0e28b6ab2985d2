#pragma once
// What a PNG must keep through recompression: its colour chunks and pHYs,
// read from the chunks before the image data.

#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <string>

struct TPngFacts {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    bool grey = false;      // colour type 0 or 4
    std::uint32_t bitsPerPixel = 0;
    bool animated = false;  // an acTL chunk: APNG
    // iCCP, sRGB, gAMA, cHRM, cICP and pHYs by type, each its data.
    std::map<std::string, std::string> kept;
};

// The bytes of filtered image data the header declares (not interlaced).
std::uint64_t RawBytesOf(const TPngFacts& facts);

// Nothing when the bytes do not start like a PNG whose chunks reach an IDAT.
std::optional<TPngFacts> ReadPngFacts(std::span<const std::uint8_t> bytes);

// Whether the iCCP chunk's data (name, method, zlib stream) holds an sRGB
// profile: a monitor RGB profile whose colourants are sRGB's (D50-adapted)
// and whose description names sRGB. An sRGB chunk says the same.
bool IsSrgbProfile(const std::string& iccpData);

// Whether an output with `output`'s facts keeps what the source's must: the
// same kept chunks, except that an sRGB profile may have become an sRGB
// chunk; and a picture under an ICC profile stays colour or grey.
bool KeepsColour(const TPngFacts& source, const TPngFacts& output);
