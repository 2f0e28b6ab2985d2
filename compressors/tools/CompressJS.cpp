#include "compressors/tools/CompressJS.h"

#include "compressors/tools/PluginCommandLines.h"
#include "compressors/tools/WritingTool.h"

// ESC.wsf, run by the script host, reads the source and writes the destination.
void CompressJS(const std::string& source, const std::string& destination, Level level, FileSize& originalSize,
                FileSize& optimizedSize, const TRunEnvironment& environment)
{
    RunWritingTool(ScriptCommandLine, kScriptPlugin, EmptyResult::Allowed, source, destination, level, originalSize,
                   optimizedSize, environment);
}
