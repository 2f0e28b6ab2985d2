#pragma once
// The SVG optimizer: SVG.wsf (svgo) through the script host.

#include <string>

#include "compressors/base/OptimizerTypes.h"
#include "compressors/base/RunEnvironment.h"

// Level 0: PlainCopy. Otherwise the tool reads the source and writes the
// destination's temporary file, which replaces the destination once the tool
// succeeded (RunWritingTool). An image svgo cannot read is declined with a
// warning (TDeclinedSource): the run keeps the source and says why.
void CompressSVG(const std::string& source, const std::string& destination, Level level, FileSize& originalSize,
                 FileSize& optimizedSize, const TRunEnvironment& environment = DefaultRunEnvironment());
