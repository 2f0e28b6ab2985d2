#pragma once
// The GIF optimizer and its steps, visible to tests.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "compressors/OptimizerTypes.h"
#include "compressors/RunEnvironment.h"

class TGIFImage;

// Level 0: PlainCopy. Level 1: RecompressGIF. Level 2 and above: FlattenGIF.
void CompressGIF(const std::string& source, const std::string& destination, Level level, FileSize& originalSize,
                 FileSize& optimizedSize, const TRunEnvironment& environment = DefaultRunEnvironment());

// Levels 1 and 2 on files: the destination gets the optimized image, or the
// source's own bytes when the optimized image is not smaller (both sizes are
// then the source's).
void RecompressGIF(const std::string& source, const std::string& destination, FileSize& originalSize,
                   FileSize& optimizedSize, const TGIFRenderOptions& rendering = {});
void FlattenGIF(const std::string& source, const std::string& destination, FileSize& originalSize,
                FileSize& optimizedSize, const TGIFRenderOptions& rendering = {});

// Level 1: the image re-encoded with its own frames, after merging its color
// maps and optimizing the frames.
std::vector<std::uint8_t> RecompressGIFBytes(std::span<const std::uint8_t> source,
                                             const TGIFRenderOptions& rendering = {});

// Level 2: every frame drawn over the previous ones onto an 8-bit halftone
// canvas (starting white) and taken whole into a new image, with the frame's
// delay and the loop count; then the same steps as level 1.
std::vector<std::uint8_t> FlattenGIFBytes(std::span<const std::uint8_t> source,
                                          const TGIFRenderOptions& rendering = {});

// The common tail of both levels: color map merge, frame optimizer, LZW.
void OptimizeGIFImage(TGIFImage& image);
