#pragma once
// The script optimizer: ESC.wsf through the script host.

#include <string>

#include "compressors/OptimizerTypes.h"
#include "compressors/RunEnvironment.h"

// Level 0: PlainCopy. Otherwise the tool reads the source and writes the
// destination (removed first); both files are measured afterwards.
void CompressJS(const std::string& source, const std::string& destination, Level level, FileSize& originalSize,
                FileSize& optimizedSize, const TRunEnvironment& environment = DefaultRunEnvironment());
