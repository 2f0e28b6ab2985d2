#pragma once
// The JPEG optimizer: jhead on a plain copy.

#include <string>

#include "compressors/base/OptimizerTypes.h"
#include "compressors/base/RunEnvironment.h"

// Level 0: PlainCopy. Otherwise the source is copied into the destination's
// temporary file (FileReplacement), jhead rewrites that file in place with
// the level's options, and it replaces the destination once jhead succeeded
// with a non-empty result (ToolError otherwise, the destination untouched).
void CompressJPEG(const std::string& source, const std::string& destination, Level level, FileSize& originalSize,
                  FileSize& optimizedSize, const TRunEnvironment& environment = DefaultRunEnvironment());
