#include "compressors/tools/CompressSVG.h"

#include <string_view>

#include "compressors/base/DeclinedSource.h"
#include "compressors/tools/PluginCommandLines.h"
#include "compressors/tools/ToolError.h"
#include "compressors/tools/WritingTool.h"

namespace {

// "svgo failed: <reason>": SVG.wsf read the image and svgo gave up on it.
constexpr std::string_view kSvgoFailed = "svgo failed: ";

}  // namespace

void CompressSVG(const std::string& source, const std::string& destination, Level level, FileSize& originalSize,
                 FileSize& optimizedSize, const TRunEnvironment& environment)
{
    try {
        RunWritingTool(SvgCommandLine, kSvgPlugin, EmptyResult::Failure, source, destination, level, originalSize,
                       optimizedSize, environment);
    } catch (const ToolError& error) {
        const std::string_view reason = error.what();
        if (reason.substr(0, kSvgoFailed.size()) != kSvgoFailed) throw;
        throw TDeclinedSource("svgo cannot read it: " + std::string(reason.substr(kSvgoFailed.size())), true);
    }
}
