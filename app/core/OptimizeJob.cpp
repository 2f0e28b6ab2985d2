#include "app/core/OptimizeJob.h"

#include <iostream>
#include <stdexcept>

#include "app/core/Level.h"
#include "app/core/NeverLarger.h"
#include "app/core/OutputFolders.h"
#include "app/core/ProvedOutput.h"
#include "app/core/PluginCheck.h"
#include "compressors/Compressors.h"

namespace {

Level SelectorLevel(const TRunHost& host, Selector selector)
{
    return LevelFromText(host.SelectorText(selector), selector == Selector::JPEG);
}

// The optimizers that take one level, with the level they take.
using SingleLevelOptimizer = void (*)(const std::string& source, const std::string& destination, Level level,
                                      FileSize& originalSize, FileSize& optimizedSize,
                                      const TRunEnvironment& environment);
struct TDispatch {
    FileKind kind;
    Level TLevels::*level;
    SingleLevelOptimizer optimize;
};
constexpr TDispatch kSingleLevelOptimizers[] = {
    {FileKind::CSS, &TLevels::css, &CompressCSS},    {FileKind::GIF, &TLevels::gif, &CompressGIF},
    {FileKind::JS, &TLevels::js, &CompressJS},       {FileKind::PNG, &TLevels::png, &CompressPNG},
    {FileKind::JPEG, &TLevels::jpeg, &CompressJPEG},
};

std::string KindName(FileKind kind)
{
    switch (kind) {
    case FileKind::JPEG: return "JPEG";
    case FileKind::PNG: return "PNG";
    default: return "Script";
    }
}

void Notify(const TRunEnvironment& environment, const std::string& message)
{
    if (environment.hooks.notify)
        environment.hooks.notify(message);
    else
        std::cerr << message << '\n';
}

}  // namespace

TLevels LevelsOf(const TRunHost& host)
{
    return {SelectorLevel(host, Selector::CSS),  SelectorLevel(host, Selector::GIF),
            SelectorLevel(host, Selector::HTML), SelectorLevel(host, Selector::JS),
            SelectorLevel(host, Selector::PNG),  SelectorLevel(host, Selector::JPEG)};
}

std::map<FileKind, std::string> MissingPlugins(const std::string& pluginDir)
{
    std::map<FileKind, std::string> missing;
    for (const TPluginFile& plugin : PluginFiles()) {
        if (PluginPresent(pluginDir, plugin.name)) continue;
        const FileKind kind = plugin.selector == Selector::JPEG  ? FileKind::JPEG
                              : plugin.selector == Selector::PNG ? FileKind::PNG
                                                                 : FileKind::JS;
        missing.emplace(kind, plugin.name);
    }
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
    if (job.kind == FileKind::HTML) {
        result.level = levels.html;
        CompressHTML(source, destination, levels.html, levels.js, levels.css, result.originalSize, result.optimizedSize,
                     environment);
        KeepSourceWhenNotSmaller(job, result.level, result.originalSize, result.optimizedSize, environment);
        return result;
    }
    if (const auto missing = missingPlugins.find(job.kind); missing != missingPlugins.end()) {
        if (!environment.control || environment.control->FirstNotice("missing " + missing->second))
            Notify(environment, "Plug-in \"" + missing->second + "\" not found in " + environment.pluginDir + ": " +
                                    KindName(job.kind) + " files are copied unchanged.");
        PlainCopy(source, destination, result.originalSize, result.optimizedSize, environment);
        result.copied = true;
        return result;
    }
    for (const TDispatch& entry : kSingleLevelOptimizers) {
        if (entry.kind != job.kind) continue;
        result.level = levels.*entry.level;
        entry.optimize(source, destination, levels.*entry.level, result.originalSize, result.optimizedSize,
                       environment);
        KeepSourceWhenNotSmaller(job, result.level, result.originalSize, result.optimizedSize, environment);
        result.kept = KeepSourceWhenNotSamePicture(job, levels.*entry.level, result.originalSize,
                                                   result.optimizedSize, environment);
        return result;
    }
    PlainCopy(source, destination, result.originalSize, result.optimizedSize, environment);
    result.copied = true;
    return result;
}
