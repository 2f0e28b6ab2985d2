#include "compressors/tools/WritingTool.h"

#include <sys/stat.h>

#include <cstdint>

#include "compressors/base/FileErrors.h"
#include "compressors/base/Files.h"
#include "compressors/base/PlainCopy.h"
#include "compressors/base/SourceGuard.h"
#include "compressors/tools/ExecuteAndWait.h"
#include "compressors/tools/ToolError.h"

FileSize CommitToolResult(FileReplacement& replacement, bool emptyAllowed, const std::string& tool)
{
    struct stat result {};
    if (::lstat(replacement.TemporaryPath().c_str(), &result) != 0 || !S_ISREG(result.st_mode) ||
        (result.st_size == 0 && !emptyAllowed))
        throw ToolError(tool + " wrote no result");
    replacement.Commit();
    return static_cast<FileSize>(static_cast<std::uint32_t>(static_cast<std::uint64_t>(result.st_size)));
}

void RunWritingTool(WritingToolCommandLine commandLine, const std::string& tool, EmptyResult emptyResult,
                    const std::string& source, const std::string& destination, Level level, FileSize& originalSize,
                    FileSize& optimizedSize, const TRunEnvironment& environment)
{
    if (level == 0) {
        PlainCopy(source, destination, originalSize, optimizedSize, environment);
        return;
    }
    const InputFile input(source);
    EnsureNotSource(source, destination);
    FileReplacement replacement(destination, environment.control.get());
    replacement.FinishWriting();
    const std::string command = commandLine(environment.pluginDir, source, replacement.TemporaryPath(), level);
    ExecuteAndWait(command, environment, tool);
    originalSize = static_cast<FileSize>(static_cast<std::uint32_t>(input.Size()));
    optimizedSize = CommitToolResult(replacement, emptyResult == EmptyResult::Allowed || input.Size() == 0, tool);
}
