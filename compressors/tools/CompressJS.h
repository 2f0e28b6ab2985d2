#pragma once
// The script optimizer: ESC.wsf through the script host.

#include <string>

#include "compressors/base/OptimizerTypes.h"
#include "compressors/base/RunEnvironment.h"

// Level 0: PlainCopy. Otherwise the tool reads the source and writes the
// destination's temporary file, which replaces the destination once the tool
// succeeded (RunWritingTool; an empty script is a valid result).
void CompressJS(const std::string& source, const std::string& destination, Level level, FileSize& originalSize,
                FileSize& optimizedSize, const TRunEnvironment& environment = DefaultRunEnvironment());
