#include "compressors/tools/CompressJS.h"

#include <string_view>

#include "compressors/base/DeclinedSource.h"
#include "compressors/tools/PluginCommandLines.h"
#include "compressors/tools/ToolError.h"
#include "compressors/tools/WritingTool.h"

namespace {

// The minifiers ESC.wsf runs; "<name> failed: <reason>" is a script it read and gave up on.
constexpr std::string_view kMinifiers[] = {"esbuild", "terser"};
constexpr std::string_view kFailed = " failed: ";

// Reasons of a valid script too large or too deep for the minifier.
bool LimitReason(std::string_view reason)
{
    for (const std::string_view limit :
         {"Maximum call stack size exceeded", "Invalid string length", "out of memory", "allocation failed"})
        if (reason.find(limit) != std::string_view::npos) return true;
    return false;
}

}  // namespace

// ESC.wsf, run by the script host, reads the source and writes the destination.
void CompressJS(const std::string& source, const std::string& destination, Level level, FileSize& originalSize,
                FileSize& optimizedSize, const TRunEnvironment& environment)
{
    try {
        RunWritingTool(ScriptCommandLine, kScriptPlugin, EmptyResult::Allowed, source, destination, level, originalSize,
                       optimizedSize, environment);
    } catch (const ToolError& error) {
        // The minifier read the script and gave up on it: a syntax error fails
        // the file, a limit of the minifier's only warns; either way the source stands.
        const std::string_view reason = error.what();
        for (const std::string_view minifier : kMinifiers) {
            const std::string prefix = std::string(minifier).append(kFailed);
            if (reason.substr(0, prefix.size()) != prefix) continue;
            if (!LimitReason(reason)) throw TDeclinedSource(error.what(), false);
            throw TDeclinedSource("beyond " + std::string(minifier) + "'s limits: " +
                                      std::string(reason.substr(prefix.size())),
                                  true);
        }
        throw;
    }
}
