#pragma once
// The in-process optimizers on files: the rows "css", "html" and "gif" of
// the optimizer table run by its in-process step (OptimizeInProcess: level 0
// copies, the source read whole, the result written whole). CompressGIF is
// declared with the GIF optimizer's steps (CompressGIF.h).

#include <string>

#include "compressors/base/OptimizerTypes.h"
#include "compressors/base/RunEnvironment.h"

// Level 1: the basic minification; level 2 also regroups the rules when that
// is shorter (MinifyCSS). The original size is the source's, the optimized
// size the written file's.
void CompressCSS(const std::string& source, const std::string& destination, Level level, FileSize& originalSize,
                 FileSize& optimizedSize, const TRunEnvironment& environment = DefaultRunEnvironment());

// The page minified (MinifyHTML; at level 2 its style elements at the CSS
// level and its script elements through the script plug-in at the JS level).
void CompressHTML(const std::string& source, const std::string& destination, Level htmlLevel, Level jsLevel,
                  Level cssLevel, FileSize& originalSize, FileSize& optimizedSize,
                  const TRunEnvironment& environment = DefaultRunEnvironment());
