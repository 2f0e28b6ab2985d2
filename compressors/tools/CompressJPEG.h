#pragma once
// The JPEG optimizer: jhead on a plain copy.

#include <string>

#include "compressors/OptimizerTypes.h"
#include "compressors/RunEnvironment.h"

// Level 0: PlainCopy. Otherwise PlainCopy, then jhead rewrites the copy in
// place with the level's options; the optimized size is measured afterwards.
void CompressJPEG(const std::string& source, const std::string& destination, Level level, FileSize& originalSize,
                  FileSize& optimizedSize, const TRunEnvironment& environment = DefaultRunEnvironment());
