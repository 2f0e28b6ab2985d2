#include "compressors/tools/CompressJPEG.h"

#include "compressors/tools/ExecuteAndWait.h"
#include "compressors/tools/FileSizeOf.h"
#include "compressors/tools/PlainCopy.h"
#include "compressors/tools/PluginCommandLines.h"

// jhead rewrites a plain copy of the source in place.
void CompressJPEG(const std::string& source, const std::string& destination, Level level, FileSize& originalSize,
                  FileSize& optimizedSize, const TRunEnvironment& environment)
{
    PlainCopy(source, destination, originalSize, optimizedSize, environment);
    if (level == 0) return;
    ExecuteAndWait(JpegCommandLine(environment.pluginDir, destination, level), environment);
    optimizedSize = FileSizeOf(destination);
}
