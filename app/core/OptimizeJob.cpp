#include "app/core/OptimizeJob.h"

#include <iostream>
#include <stdexcept>

#include "app/core/NeverLarger.h"
#include "app/core/OutputFolders.h"
#include "app/core/ProvedOutput.h"
#include "app/core/PluginCheck.h"
#include "compressors/Optimizers.h"
#include "compressors/base/PlainCopy.h"

namespace {

void Notify(const TRunEnvironment& environment, const std::string& message)
{
    if (environment.hooks.notify)
        environment.hooks.notify(message);
    else
        std::cerr << message << '\n';
}

}  // namespace

std::map<FileKind, std::string> MissingPlugins(const std::string& pluginDir)
{
    std::map<FileKind, std::string> missing;
    for (const TPluginFile& plugin : PluginFiles())
        if (!PluginPresent(pluginDir, plugin.name)) missing.emplace(plugin.kind, plugin.name);
    return missing;
}

TJobResult OptimizeJob(const TJob& job, const TLevels& levels, const TRunEnvironment& environment,
                       const std::map<FileKind, std::string>& missingPlugins)
{
    if (!job.refusal.empty()) throw std::runtime_error(job.refusal);
    if (!job.newFolders.empty()) CreateOutputFolders(job.folderBase, job.newFolders, job.destination);
    TJobResult result;
    const std::string& source = job.source;
    const std::string& destination = job.destination;
    if (!job.kind || (!job.kind->inProcess && !job.kind->plugin)) {
        PlainCopy(source, destination, result.originalSize, result.optimizedSize, environment);
        result.copied = true;
        return result;
    }
    const TOptimizerRow& row = *job.kind;
    if (const auto missing = missingPlugins.find(job.kind); missing != missingPlugins.end() && row.plugin) {
        if (!environment.control || environment.control->FirstNotice("missing " + missing->second))
            Notify(environment, "Plug-in \"" + missing->second + "\" not found in " + environment.pluginDir + ": " +
                                    row.filesName + " files are copied unchanged.");
        PlainCopy(source, destination, result.originalSize, result.optimizedSize, environment);
        result.copied = true;
        return result;
    }
    result.level = levels.Of(row);
    if (row.inProcess)
        OptimizeInProcess(row, source, destination, levels, result.originalSize, result.optimizedSize, environment);
    else
        row.plugin(source, destination, result.level, result.originalSize, result.optimizedSize, environment);
    KeepSourceWhenNotSmaller(job, result.level, result.originalSize, result.optimizedSize, environment);
    result.kept = KeepSourceWhenNotSamePicture(job, result.level, result.originalSize, result.optimizedSize,
                                               environment);
    return result;
}
