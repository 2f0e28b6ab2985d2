#include "compressors/Compressors.h"
#include "compressors/tools/PluginCommandLines.h"
#include "compressors/tools/ToolRunner.h"

// jhead rewrites a plain copy of the source in place.
void CompressJPEG(const std::string& source, const std::string& destination, Level level, FileSize& originalSize,
                  FileSize& optimizedSize)
{
    PlainCopy(source, destination, originalSize, optimizedSize);
    if (level == 0) return;
    ExecuteAndWait(JpegCommandLine(destination, level));
    optimizedSize = FileSizeOf(destination);
}
