#pragma once
// The style sheet optimizer.

#include <string>

#include "compressors/base/OptimizerTypes.h"
#include "compressors/base/RunEnvironment.h"

// Level 0: PlainCopy. Level 1: the basic minification; level 2 also regroups
// the rules when that is shorter. The original size is the source's, the
// optimized size the written file's.
void CompressCSS(const std::string& source, const std::string& destination, Level level, FileSize& originalSize,
                 FileSize& optimizedSize, const TRunEnvironment& environment = DefaultRunEnvironment());
