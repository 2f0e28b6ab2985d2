#pragma once
// The GIF optimizer and its steps, visible to tests.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "compressors/base/OptimizerTypes.h"
#include "compressors/base/RunEnvironment.h"

class TGIFImage;
class TGIFMemoryBudget;

// The GIF row of the optimizer table run by its in-process step
// (OptimizeInProcess, InProcessFiles.cpp): level 0 copies, otherwise OptimizeGIF.
void CompressGIF(const std::string& source, const std::string& destination, Level level, FileSize& originalSize,
                 FileSize& optimizedSize, const TRunEnvironment& environment = DefaultRunEnvironment());

struct TGIFOptions {
    Level level = 1;
    TGIFRenderOptions rendering;
};

// Level 1: RecompressGIFBytes, 2 and above: FlattenGIFBytes, under one memory
// budget (which also counts the source); the source's own bytes when the
// optimized image is not smaller.
std::string OptimizeGIF(std::string_view source, const TGIFOptions& options);

// Levels 1 and 2 on files: the destination gets the optimized image, or the
// source's own bytes when the optimized image is not smaller (both sizes are
// then the source's).
void RecompressGIF(const std::string& source, const std::string& destination, FileSize& originalSize,
                   FileSize& optimizedSize, const TGIFRenderOptions& rendering = {});
void FlattenGIF(const std::string& source, const std::string& destination, FileSize& originalSize,
                FileSize& optimizedSize, const TGIFRenderOptions& rendering = {});

// The levels in memory. Every allocation is counted against the budget (a
// budget of its own when none is given; "Image is too large"); an output that
// would exceed outputLimit bytes stops with GIFOutputLimit.

// Level 1: the image re-encoded with its own frames, after merging its color
// maps and optimizing the frames (it draws nothing: `rendering` is unused).
// "No image in the file" when no frame has pixels.
std::vector<std::uint8_t> RecompressGIFBytes(std::span<const std::uint8_t> source,
                                             const TGIFRenderOptions& rendering = {},
                                             TGIFMemoryBudget* budget = nullptr, std::size_t outputLimit = SIZE_MAX);

// Level 2: every frame composited as a browser shows it (transparent screen,
// disposals applied) in halftone palette colors, the pictures written anew
// frame by frame (gif/Flattener.h): as many frames as the source, with its
// delays, loop count and transparency.
std::vector<std::uint8_t> FlattenGIFBytes(std::span<const std::uint8_t> source, const TGIFRenderOptions& rendering = {},
                                          TGIFMemoryBudget* budget = nullptr, std::size_t outputLimit = SIZE_MAX);

// The common tail of both levels: color map merge, frame optimizer, LZW.
void OptimizeGIFImage(TGIFImage& image);
