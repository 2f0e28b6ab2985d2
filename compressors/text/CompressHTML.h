#pragma once
// The HTML page optimizer.

#include <string>

#include "compressors/base/OptimizerTypes.h"
#include "compressors/base/RunEnvironment.h"

// HTML level 0: PlainCopy. Otherwise the page is read whole, minified
// (MinifyHTML; at level 2 its style elements at the CSS level and its script
// elements through CompressJS at the JS level) and written whole.
void CompressHTML(const std::string& source, const std::string& destination, Level htmlLevel, Level jsLevel,
                  Level cssLevel, FileSize& originalSize, FileSize& optimizedSize,
                  const TRunEnvironment& environment = DefaultRunEnvironment());
