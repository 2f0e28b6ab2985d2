#include "compressors/Compressors.h"
#include "compressors/tools/PluginCommandLines.h"
#include "compressors/tools/RemoveDestination.h"
#include "compressors/tools/ToolRunner.h"

// ESC.wsf, run by the script host, reads the source and writes the destination.
void CompressJS(const std::string& source, const std::string& destination, Level level,
                FileSize& originalSize, FileSize& optimizedSize) {
    if (level == 0) {
        PlainCopy(source, destination, originalSize, optimizedSize);
        return;
    }
    RemoveDestination(source, destination);
    ExecuteAndWait(ScriptCommandLine(source, destination, level));
    originalSize = FileSizeOf(source);
    optimizedSize = FileSizeOf(destination);
}
