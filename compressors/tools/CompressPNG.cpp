#include "compressors/Compressors.h"
#include "compressors/tools/PluginCommandLines.h"
#include "compressors/tools/RemoveDestination.h"
#include "compressors/tools/ToolRunner.h"

// pngout reads the source and writes the destination.
void CompressPNG(const std::string& source, const std::string& destination, Level level,
                 FileSize& originalSize, FileSize& optimizedSize) {
    if (level == 0) {
        PlainCopy(source, destination, originalSize, optimizedSize);
        return;
    }
    RemoveDestination(source, destination);
    ExecuteAndWait(PngCommandLine(source, destination, level));
    originalSize = FileSizeOf(source);
    optimizedSize = FileSizeOf(destination);
}
