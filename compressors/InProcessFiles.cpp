#include "compressors/InProcessFiles.h"

#include "compressors/CompressGIF.h"
#include "compressors/Optimizers.h"

void CompressCSS(const std::string& source, const std::string& destination, Level level, FileSize& originalSize,
                 FileSize& optimizedSize, const TRunEnvironment& environment)
{
    TLevels levels;
    levels.Set("css", level);
    OptimizeInProcess(*OptimizerNamed("css"), source, destination, levels, originalSize, optimizedSize, environment);
}

void CompressHTML(const std::string& source, const std::string& destination, Level htmlLevel, Level jsLevel,
                  Level cssLevel, FileSize& originalSize, FileSize& optimizedSize, const TRunEnvironment& environment)
{
    TLevels levels;
    levels.Set("html", htmlLevel);
    levels.Set("js", jsLevel);
    levels.Set("css", cssLevel);
    OptimizeInProcess(*OptimizerNamed("html"), source, destination, levels, originalSize, optimizedSize, environment);
}

void CompressGIF(const std::string& source, const std::string& destination, Level level, FileSize& originalSize,
                 FileSize& optimizedSize, const TRunEnvironment& environment)
{
    TLevels levels;
    levels.Set("gif", level);
    OptimizeInProcess(*OptimizerNamed("gif"), source, destination, levels, originalSize, optimizedSize, environment);
}
