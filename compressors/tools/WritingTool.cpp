#include "compressors/tools/WritingTool.h"

#include "compressors/tools/ExecuteAndWait.h"
#include "compressors/tools/FileSizeOf.h"
#include "compressors/tools/PlainCopy.h"
#include "compressors/tools/RemoveDestination.h"

void RunWritingTool(WritingToolCommandLine commandLine, const std::string& source, const std::string& destination,
                    Level level, FileSize& originalSize, FileSize& optimizedSize, const TRunEnvironment& environment)
{
    if (level == 0) {
        PlainCopy(source, destination, originalSize, optimizedSize, environment);
        return;
    }
    RemoveDestination(source, destination);
    ExecuteAndWait(commandLine(environment.pluginDir, source, destination, level), environment);
    originalSize = FileSizeOf(source);
    optimizedSize = FileSizeOf(destination);
}
