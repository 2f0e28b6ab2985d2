#include "app/cli/CommandLine.h"

#include <exception>
#include <filesystem>
#include <system_error>

#include "app/Version.h"
#include "app/cli/FolderWalk.h"
#include "app/cli/Options.h"
#include "app/cli/TextTable.h"
#include "app/core/BatchHost.h"
#include "app/core/PluginCheck.h"
#include "app/core/Report.h"
#include "app/core/Run.h"

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
// program), no message pump, notices to `err`.
TRunEnvironment CommandLineEnvironment(const CliOptions& options, std::ostream& err)
{
    TRunEnvironment environment;
    if (!options.pluginDir.empty()) environment.pluginDir = WithSlash(options.pluginDir);
    environment.hooks.notify = [&err](const std::string& message) { err << kProgram << ": " << message << "\n"; };
    return environment;
}

}  // namespace

int RunCommandLine(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err)
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
    host.environment = CommandLineEnvironment(options, err);
    WarnMissingPlugins(host.environment.pluginDir, err);

    int status = kExitSuccess;
    ResetResultGrid(host);
    try {
        StartCompression(host);
    } catch (const std::exception& error) {
        err << kProgram << ": " << error.what() << "\n";
        status = kExitFileFailed;
    }
    out << FormatTable(host.grid);

    if (!options.reportPath.empty()) {
        try {
            WriteReport(host.grid, options.reportPath);
            out << "Report: " << options.reportPath << "\n";
        } catch (const std::exception& error) {
            err << kProgram << ": cannot write the report \"" << options.reportPath << "\": " << error.what() << "\n";
            status = kExitFileFailed;
        }
    }
    return status;
}
