#include "app/core/PluginCheck.h"

#include <filesystem>
#include <system_error>

std::vector<TPluginFile> PluginFiles()
{
    std::vector<TPluginFile> files;
    for (const bool images : {true, false})
        for (const FileKind kind : Optimizers())
            if (!kind->pluginFile.empty() && kind->picture.has_value() == images)
                files.push_back({kind->pluginFile, kind});
    return files;
}

bool PluginPresent(const std::string& directory, const std::string& name)
{
    std::error_code error;
    const auto status = std::filesystem::status(directory + name, error);
    return !error && std::filesystem::exists(status) && !std::filesystem::is_directory(status);
}
