#pragma once
// Resource bounds of the GIF engine.
#include <cstdint>

#include "gif/GIFException.h"

// Pixel memory of one image: all frames' buffers together, and the logical
// screen (width x height), may not exceed this many bytes ("Image is too large").
// (A build may lower it with -DQWO_GIF_MAX_PIXEL_BYTES=N, as the fuzzer does.)
#ifdef QWO_GIF_MAX_PIXEL_BYTES
inline constexpr std::uint64_t GIFMaxPixelBytes = QWO_GIF_MAX_PIXEL_BYTES;
#else
inline constexpr std::uint64_t GIFMaxPixelBytes = std::uint64_t(1) << 30;
#endif

// The memory that one piece of work may hold: an image's pixels by default,
// or everything an optimization allocates (several images, drawing surfaces,
// the file's bytes) when they share one budget. Reserve before allocating.
class TGIFMemoryBudget {
public:
    explicit TGIFMemoryBudget(std::uint64_t limit = GIFMaxPixelBytes) : fLimit(limit) {}
    TGIFMemoryBudget(const TGIFMemoryBudget&) = delete;
    TGIFMemoryBudget& operator=(const TGIFMemoryBudget&) = delete;

    // "Image is too large" (nothing counted) when the bytes do not fit.
    void Reserve(std::uint64_t bytes)
    {
        if (bytes > fLimit - fUsed) throw GIFException("Image is too large");
        fUsed += bytes;
    }
    void Release(std::uint64_t bytes) { fUsed -= bytes < fUsed ? bytes : fUsed; }
    std::uint64_t Used() const { return fUsed; }
    std::uint64_t Limit() const { return fLimit; }

private:
    std::uint64_t fLimit;
    std::uint64_t fUsed = 0;
};

// Bytes reserved for as long as the object lives.
class TGIFReservation {
public:
    TGIFReservation(TGIFMemoryBudget& budget, std::uint64_t bytes) : fBudget(budget), fBytes(bytes)
    {
        fBudget.Reserve(bytes);
    }
    ~TGIFReservation() { fBudget.Release(fBytes); }
    TGIFReservation(const TGIFReservation&) = delete;
    TGIFReservation& operator=(const TGIFReservation&) = delete;

private:
    TGIFMemoryBudget& fBudget;
    std::uint64_t fBytes;
};
