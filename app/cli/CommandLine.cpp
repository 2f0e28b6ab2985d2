#include "app/cli/CommandLine.h"

#include <exception>
#include <filesystem>
#include <system_error>

#include "app/Version.h"
#include "app/cli/FolderWalk.h"
#include "app/cli/Options.h"
#include "app/cli/TextTable.h"
#include "app/core/BatchHost.h"
#include "app/core/FileFailure.h"
#include "app/core/PluginCheck.h"
#include "app/core/Report.h"
#include "app/core/Run.h"
#include "app/core/RunPlan.h"

namespace {

constexpr const char* kProgram = "quorvan-optimize";

std::string WithSlash(std::string folder)
{
    if (folder.back() != '/') folder += '/';
    return folder;
}

int UsageFailure(std::ostream& err, const std::string& message)
{
    err << kProgram << ": " << message << "\n"
        << "Try '" << kProgram << " --help' for more information.\n";
    return kExitUsage;
}

// Creates the output folder when missing; returns the text the run prefixes.
std::string PrepareOutputDir(const std::string& folder)
{
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (error || !std::filesystem::is_directory(folder))
        throw std::runtime_error("cannot create the output folder \"" + folder +
                                 "\": " + (error ? error.message() : std::string("Not a directory")));
    return WithSlash(folder);
}

void WarnMissingPlugins(const std::string& pluginDir, std::ostream& err)
{
    for (const auto& plugin : PluginFiles())
        if (!PluginPresent(pluginDir, plugin.name))
            err << kProgram << ": warning: plug-in \"" << plugin.name << "\" not found in " << pluginDir << "\n";
}

// The run's environment: the plug-in folder given (else the one beside the
// program), the plug-in limits, no message pump, notices to `err`.
TRunEnvironment CommandLineEnvironment(const CliOptions& options, std::ostream& err,
                                       std::shared_ptr<TRunControl> control)
{
    TRunEnvironment environment;
    if (!options.pluginDir.empty()) environment.pluginDir = WithSlash(options.pluginDir);
    environment.hooks.notify = [&err](const std::string& message) { err << kProgram << ": " << message << "\n"; };
    environment.toolLimits = {options.toolTimeoutSeconds, options.toolMemoryBytes};
    environment.control = control ? std::move(control) : std::make_shared<TRunControl>();
    return environment;
}

}  // namespace

int RunCommandLine(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err,
                   std::shared_ptr<TRunControl> control)
{
    CliOptions options;
    TBatchHost host;
    try {
        options = ParseOptions(arguments);
        if (options.help) {
            out << UsageText();
            return kExitSuccess;
        }
        if (options.version) {
            out << kProgram << " (Quorvan Web Optimizer) " << kVersionText << "\n";
            return kExitSuccess;
        }
        host.files = ExpandPaths(options.paths);
    } catch (const std::exception& error) {
        return UsageFailure(err, error.what());
    }
    if (host.files.empty()) return UsageFailure(err, "no files to optimize");

    try {
        host.outputDir = PrepareOutputDir(options.outputDir);
    } catch (const std::exception& error) {
        err << kProgram << ": " << error.what() << "\n";
        return kExitFileFailed;
    }
    host.selectorTexts = options.selectorTexts;
    host.environment = CommandLineEnvironment(options, err, std::move(control));
    WarnMissingPlugins(host.environment.pluginDir, err);
    // The report is a destination too: it never replaces a listed source.
    if (!options.reportPath.empty()) {
        const std::string refusal = ReportRefusal(options.reportPath, host.files);
        if (!refusal.empty()) {
            err << kProgram << ": " << refusal << "\n";
            return kExitFileFailed;
        }
    }

    int status = kExitSuccess;
    ResetResultGrid(host);
    try {
        StartCompression(host);
    } catch (const TFileFailure& failure) {
        err << failure.Source() << ": " << failure.what() << "\n";
        status = kExitFileFailed;
    } catch (const std::exception& error) {
        err << kProgram << ": " << error.what() << "\n";
        status = kExitFileFailed;
    }
    out << FormatTable(host.grid);

    if (!options.reportPath.empty()) {
        try {
            WriteReport(host.grid, options.reportPath, host.environment.control.get());
            out << "Report: " << options.reportPath << "\n";
        } catch (const std::exception& error) {
            err << kProgram << ": cannot write the report \"" << options.reportPath << "\": " << error.what() << "\n";
            status = kExitFileFailed;
        }
    }
    return status;
}
