#include "compressors/tools/CompressJPEG.h"

#include "compressors/base/Files.h"
#include "compressors/base/PlainCopy.h"
#include "compressors/base/SourceGuard.h"
#include "compressors/tools/ExecuteAndWait.h"
#include "compressors/tools/PluginCommandLines.h"
#include "compressors/tools/WritingTool.h"

// jhead rewrites a plain copy of the source in place: the copy is the
// destination's temporary file, renamed over the destination once jhead
// has succeeded.
void CompressJPEG(const std::string& source, const std::string& destination, Level level, FileSize& originalSize,
                  FileSize& optimizedSize, const TRunEnvironment& environment)
{
    if (level == 0) {
        PlainCopy(source, destination, originalSize, optimizedSize, environment);
        return;
    }
    InputFile input(source);
    EnsureNotSource(source, destination);
    FileReplacement replacement(destination, environment.control.get());
    originalSize = CopyChunks(input, replacement, {});
    replacement.FinishWriting();
    const std::string command = JpegCommandLine(environment.pluginDir, replacement.TemporaryPath(), level);
    ExecuteAndWait(command, environment, kJpegPlugin);
    optimizedSize = CommitToolResult(replacement, input.Size() == 0, kJpegPlugin);
}
