#include "compressors/tools/CompressPNG.h"

#include "compressors/tools/PluginCommandLines.h"
#include "compressors/tools/WritingTool.h"

// pngout reads the source and writes the destination.
void CompressPNG(const std::string& source, const std::string& destination, Level level, FileSize& originalSize,
                 FileSize& optimizedSize, const TRunEnvironment& environment)
{
    RunWritingTool(PngCommandLine, kPngPlugin, EmptyResult::Failure, source, destination, level, originalSize,
                   optimizedSize, environment);
}
