#include "compressors/tools/ScriptHostStart.h"

#include <filesystem>
#include <system_error>

#include "compressors/tools/PluginCommandLines.h"
#include "compressors/tools/ProgramSearch.h"
#include "compressors/tools/ToolProcess.h"

std::shared_ptr<void> StartScriptHost(const TRunEnvironment& environment, std::size_t files)
{
    if (files < kFilesForScriptServer) return nullptr;
    const std::string script = environment.pluginDir + kScriptPlugin;
    std::error_code error;
    if (environment.executor || !std::filesystem::is_regular_file(script, error)) return nullptr;
    const auto host = FindProgram("cscript");
    if (!host) return nullptr;
    int startError = 0;
    auto process = TToolProcess::Start({*host, "//Nologo", "//Prepare", script}, environment.toolLimits.memoryBytes,
                                       nullptr, startError);
    if (!process) return nullptr;
    return std::make_shared<TToolProcess>(std::move(*process));
}
