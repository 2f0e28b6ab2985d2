#include "compressors/tools/WritingTool.h"

#include "compressors/tools/RemoveDestination.h"
#include "compressors/tools/ToolRunner.h"

void RunWritingTool(WritingToolCommandLine commandLine, const std::string& source, const std::string& destination,
                    Level level, FileSize& originalSize, FileSize& optimizedSize)
{
    if (level == 0) {
        PlainCopy(source, destination, originalSize, optimizedSize);
        return;
    }
    RemoveDestination(source, destination);
    ExecuteAndWait(commandLine(source, destination, level));
    originalSize = FileSizeOf(source);
    optimizedSize = FileSizeOf(destination);
}
