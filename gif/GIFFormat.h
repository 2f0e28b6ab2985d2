#pragma once
// The GIF file format as the reader and the writer exchange it with the
// object model: versions, the bytes that start blocks, and the descriptors.
#include <cstdint>

// File versions, ordered: unknown < 87a < 89a.
enum TGIFVersion : int { gvUnknown = 0, gv87a = 1, gv89a = 2 };

// How image data is written.
enum class TGIFCompression { LZW, RunLength };

inline constexpr std::uint8_t GIFExtensionIntroducer = 0x21;
inline constexpr std::uint8_t GIFImageSeparator = 0x2C;
inline constexpr std::uint8_t GIFTrailerByte = 0x3B;

// Logical screen descriptor (7 bytes after the signature).
struct TGIFScreenDescriptor {
    std::uint16_t Width = 0;
    std::uint16_t Height = 0;
    std::uint8_t PackedFields = 0;
    std::uint8_t BackgroundIndex = 0;
    std::uint8_t AspectRatio = 0;
};

// Image descriptor (10 bytes with the separator that starts it).
struct TGIFImageDescriptor {
    std::uint16_t Left = 0;
    std::uint16_t Top = 0;
    std::uint16_t Width = 0;
    std::uint16_t Height = 0;
    std::uint8_t PackedFields = 0;
};

// Entries of the color table that packed fields with bit 7 set announce:
// 2^(size field + 1), 2 to 256.
constexpr int ColorTableSize(std::uint8_t packedFields)
{
    return 2 << (packedFields & 7);
}
