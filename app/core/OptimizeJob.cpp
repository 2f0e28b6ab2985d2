#include "app/core/OptimizeJob.h"

#include <filesystem>
#include <iostream>
#include <optional>
#include <stdexcept>

#include "app/core/NeverLarger.h"
#include "app/core/OutputFolders.h"
#include "app/core/ProvedOutput.h"
#include "app/core/PluginCheck.h"
#include "compressors/Optimizers.h"
#include "compressors/base/DeclinedSource.h"
#include "compressors/base/FileErrors.h"
#include "compressors/base/PlainCopy.h"

std::string ResultNote(const TJobResult& result)
{
    if (!result.kept.empty()) return "kept: " + result.kept;
    if (!result.partial.empty()) return "partial: " + result.partial;
    return {};
}

std::map<FileKind, std::string> MissingPlugins(const std::string& pluginDir)
{
    std::map<FileKind, std::string> missing;
    for (const TPluginFile& plugin : PluginFiles())
        if (!PluginPresent(pluginDir, plugin.name)) missing.emplace(plugin.kind, plugin.name);
    return missing;
}

namespace {

void Notify(const TRunEnvironment& environment, const std::string& message)
{
    if (environment.hooks.notify)
        environment.hooks.notify(message);
    else
        std::cerr << message << '\n';
}

ByteCount SizeNow(const std::string& path)
{
    std::error_code error;
    const std::uintmax_t size = std::filesystem::file_size(path, error);
    return error ? -1 : static_cast<ByteCount>(size);
}

// The job's row run on its files; the sizes the optimizers give are left to
// the caller, which measures the files.
TJobResult RunRow(const TJob& job, const TLevels& levels, const TRunEnvironment& environment,
                  const std::map<FileKind, std::string>& missingPlugins)
{
    TJobResult result;
    FileSize originalSize = 0, optimizedSize = 0;
    const std::string& source = job.source;
    const std::string& destination = job.destination;
    if (!job.kind || (!job.kind->inProcess && !job.kind->plugin)) {
        PlainCopy(source, destination, originalSize, optimizedSize, environment);
        result.copied = true;
        return result;
    }
    const TOptimizerRow& row = *job.kind;
    if (const auto missing = missingPlugins.find(job.kind); missing != missingPlugins.end() && row.plugin) {
        if (!environment.control || environment.control->FirstNotice("missing " + missing->second))
            Notify(environment, "Plug-in \"" + missing->second + "\" not found in " + environment.pluginDir + ": " +
                                    row.filesName + " files are copied unchanged.");
        PlainCopy(source, destination, originalSize, optimizedSize, environment);
        result.copied = true;
        return result;
    }
    result.level = levels.Of(row);
    std::optional<TSourcePicture> picture;  // a plug-in's image source, read before the plug-in runs
    if (row.inProcess) {
        TShortfall shortfall;
        OptimizeInProcess(row, source, destination, levels, originalSize, optimizedSize, environment, &shortfall);
        if (shortfall.count > 0)
            result.partial = std::to_string(shortfall.count) + (shortfall.count == 1 ? " script" : " scripts") +
                             " kept as written (" + shortfall.reason + ")";
    } else {
        try {
            picture = CheckSourcePicture(job, result.level, environment);  // a damaged one never reaches the plug-in
            row.plugin(source, destination, result.level, originalSize, optimizedSize, environment);
        } catch (const TDeclinedSource& declined) {
            if (!declined.Warning()) throw;  // the run copies the source after the failure
            PlainCopy(source, destination, originalSize, optimizedSize, environment);
            result.kept = declined.what();
            return result;
        }
    }
    KeepSourceWhenNotSmaller(job, result.level, originalSize, optimizedSize, environment);
    if (const auto kept = KeepSourceWhenNotSamePicture(job, result.level, originalSize, optimizedSize, environment,
                                                       picture ? &*picture : nullptr))
        result.kept = kept->empty() ? kOutputDidNotMatch : *kept;
    return result;
}

}  // namespace

TJobResult OptimizeJob(const TJob& job, const TLevels& levels, const TRunEnvironment& environment,
                       const std::map<FileKind, std::string>& missingPlugins)
{
    if (!job.refusal.empty()) throw std::runtime_error(job.refusal);
    if (!job.newFolders.empty()) CreateOutputFolders(job.folderBase, job.newFolders, job.destination);
    const ByteCount sourceSize = SizeNow(job.source);
    TJobResult result = RunRow(job, levels, environment, missingPlugins);
    // 64-bit sizes measured on the files, whatever the optimizer's 32-bit call returned.
    if (SizeNow(job.source) != sourceSize) throw SourceChanged();
    result.originalSize = sourceSize;
    result.optimizedSize = SizeNow(job.destination);
    return result;
}
