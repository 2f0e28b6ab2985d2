#pragma once
// The GIF optimizer and its steps, visible to tests.

#include <string>

#include "compressors/OptimizerTypes.h"
#include "compressors/RunEnvironment.h"

class TGIFImage;

// Level 0: PlainCopy. Level 1: RecompressGIF. Level 2 and above: FlattenGIF.
void CompressGIF(const std::string& source, const std::string& destination, Level level, FileSize& originalSize,
                 FileSize& optimizedSize, const TRunEnvironment& environment = DefaultRunEnvironment());

// Level 1: the image re-encoded with its own frames, after merging its color
// maps into one and optimizing the frames.
void RecompressGIF(const std::string& source, const std::string& destination, FileSize& originalSize,
                   FileSize& optimizedSize, const TGIFRenderOptions& rendering = {});

// Level 2: every frame drawn over the previous ones onto an 8-bit halftone
// canvas (starting white) and taken whole into a new image, with the frame's
// delay and the first frame's loop count; then the same steps as level 1.
void FlattenGIF(const std::string& source, const std::string& destination, FileSize& originalSize,
                FileSize& optimizedSize, const TGIFRenderOptions& rendering = {});

// The common tail of both levels: color map merge, frame optimizer, LZW.
void OptimizeGIFImage(TGIFImage& image);
