#pragma once
// A PNG's pixels as libpng expands them: every image as RGBA, 16 bits a
// sample (8-bit samples v widened to v * 257, so that an 8-bit and a 16-bit
// file of the same picture compare equal). Palette and tRNS become colours
// and alpha; gamma, ICC and the other colour chunks are not applied.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

struct TPngPixels {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::vector<std::uint16_t> rgba;  // width x height x 4, rows top to bottom
};

// Nothing when libpng rejects the bytes (also a truncated stream or a bad
// checksum of a critical chunk) or the picture has more than
// kMaxCheckedPixels pixels. `refusal`, when given, then gets libpng's message
// ("IHDR: CRC error"), or stays empty for a picture too large.
std::optional<TPngPixels> DecodePng(std::span<const std::uint8_t> bytes, std::string* refusal = nullptr);

// The largest picture a check decodes (64 Mi pixels, 512 MiB as 16-bit RGBA).
constexpr std::uint64_t kMaxCheckedPixels = std::uint64_t{1} << 26;
