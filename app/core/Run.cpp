#include "app/core/Run.h"

#include <iostream>
#include <map>
#include <memory>
#include <stdexcept>
#include <vector>

#include "app/core/FileFailure.h"
#include "app/core/FileKinds.h"
#include "app/core/HumanSize.h"
#include "app/core/Level.h"
#include "app/core/PluginCheck.h"
#include "app/core/RunPlan.h"
#include "compressors/Compressors.h"

namespace {

constexpr int kColumns = 5;

Level SelectorLevel(const TRunHost& host, Selector selector)
{
    return LevelFromText(host.SelectorText(selector), selector == Selector::JPEG);
}

// The optimizers that take one level, with the selector that level is read from.
using SingleLevelOptimizer = void (*)(const std::string& source, const std::string& destination, Level level,
                                      FileSize& originalSize, FileSize& optimizedSize,
                                      const TRunEnvironment& environment);
struct TDispatch {
    FileKind kind;
    Selector selector;
    SingleLevelOptimizer optimize;
};
constexpr TDispatch kSingleLevelOptimizers[] = {
    {FileKind::CSS, Selector::CSS, &CompressCSS},    {FileKind::GIF, Selector::GIF, &CompressGIF},
    {FileKind::JS, Selector::JS, &CompressJS},       {FileKind::PNG, Selector::PNG, &CompressPNG},
    {FileKind::JPEG, Selector::JPEG, &CompressJPEG},
};

// The plug-in files missing from the run's plug-in folder, by the kind of file they serve.
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

// Picks the optimizer by the exact extension and reads its levels now. A file
// whose plug-in is missing is copied; the run tells so once per plug-in.
void OptimizeFile(const TRunHost& host, const TRunEnvironment& environment,
                  const std::map<FileKind, std::string>& missingPlugins, const TJob& job, FileSize& originalSize,
                  FileSize& optimizedSize)
{
    const std::string& source = job.source;
    const std::string& destination = job.destination;
    if (job.kind == FileKind::HTML) {
        const Level html = SelectorLevel(host, Selector::HTML);
        const Level js = SelectorLevel(host, Selector::JS);
        const Level css = SelectorLevel(host, Selector::CSS);
        CompressHTML(source, destination, html, js, css, originalSize, optimizedSize, environment);
        return;
    }
    if (const auto missing = missingPlugins.find(job.kind); missing != missingPlugins.end()) {
        if (environment.control->FirstNotice("missing " + missing->second))
            Notify(environment, "Plug-in \"" + missing->second + "\" not found in " + environment.pluginDir + ": " +
                                    KindName(job.kind) + " files are copied unchanged.");
        PlainCopy(source, destination, originalSize, optimizedSize, environment);
        return;
    }
    for (const TDispatch& entry : kSingleLevelOptimizers) {
        if (entry.kind != job.kind) continue;
        entry.optimize(source, destination, SelectorLevel(host, entry.selector), originalSize, optimizedSize,
                       environment);
        return;
    }
    PlainCopy(source, destination, originalSize, optimizedSize, environment);
}

}  // namespace

void ResetResultGrid(TRunHost& host)
{
    host.SetRowCount(2);
    for (int column = 0; column < kColumns; ++column) host.SetCell(column, 1, "");
}

void StartCompression(TRunHost& host)
{
    const int count = host.FileCount();
    if (count <= 0) {
        host.ChooseFiles();
        return;
    }
    host.SetRowCount(count + 2);
    host.SetProgress(0);
    host.SetProgressMax(count - 1);
    long long totalOriginal = 0;
    long long totalOptimized = 0;

    TRunEnvironment environment = host.Environment();
    if (!environment.control) environment.control = std::make_shared<TRunControl>();
    environment.control->BeginRun();
    std::vector<std::string> sources;
    for (int index = 0; index < count; ++index) sources.push_back(host.FileAt(index));
    const std::vector<TJob> jobs = PlanFlatRun(sources, host.OutputDirText());
    const auto missingPlugins = MissingPlugins(environment.pluginDir);

    for (int index = 0; index < count; ++index) {
        const int row = index + 1;
        const TJob& job = jobs[static_cast<std::size_t>(index)];
        host.SetCell(1, row, job.source);

        FileSize originalSize = 0;
        FileSize optimizedSize = 0;
        try {
            if (!job.refusal.empty()) throw std::runtime_error(job.refusal);
            OptimizeFile(host, environment, missingPlugins, job, originalSize, optimizedSize);
        } catch (const RunCancelled&) {
            throw;
        } catch (const std::exception& error) {
            throw TFileFailure(job.source, error.what());
        }

        const std::string thousands = host.ThousandsSeparator();
        const std::string decimal = host.DecimalSeparator();
        host.SetCell(2, row, HumanSize(originalSize, thousands, decimal));
        host.SetCell(3, row, HumanSize(optimizedSize, thousands, decimal));
        host.SetCell(4, row, RatioText(optimizedSize, originalSize, decimal));
        totalOriginal += originalSize;
        totalOptimized += optimizedSize;
        host.SetProgress(index);
        host.RepaintAndProcessMessages();
        if (host.StopRequested()) return;
    }

    host.SetCell(3, count + 1, "TOTAL");
    host.SetCell(4, count + 1, RatioText(totalOptimized, totalOriginal, host.DecimalSeparator()));
}
