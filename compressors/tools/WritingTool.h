#pragma once
// The common run of a plug-in that reads the source and writes the destination.

#include <string>

#include "compressors/OptimizerTypes.h"
#include "compressors/RunEnvironment.h"

// Level 0 is a plain copy. Otherwise the destination is removed
// (RemoveDestination), the command line for the level is run and both files
// are measured.
using WritingToolCommandLine = std::string (*)(const std::string& pluginDir, const std::string& source,
                                               const std::string& destination, Level level);
void RunWritingTool(WritingToolCommandLine commandLine, const std::string& source, const std::string& destination,
                    Level level, FileSize& originalSize, FileSize& optimizedSize, const TRunEnvironment& environment);
