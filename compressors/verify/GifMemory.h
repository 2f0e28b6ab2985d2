#pragma once
// giflib reading a GIF held in memory.

#include <cstddef>
#include <cstdint>
#include <span>

struct GifFileType;

// The bytes giflib reads, and how far it has read; must outlive the file.
struct TGifMemory {
    std::span<const std::uint8_t> bytes;
    std::size_t position = 0;
};

// DGifOpen over `memory`; null (and giflib's error code) when it cannot open it.
GifFileType* OpenGifMemory(TGifMemory& memory, int* error);
