#include "app/core/PluginCheck.h"

#include <filesystem>
#include <system_error>

const std::vector<TPluginFile>& PluginFiles()
{
    static const std::vector<TPluginFile> files = {
        {"jhead.exe", Selector::JPEG}, {"pngout.exe", Selector::PNG}, {"ESC.wsf", Selector::JS}};
    return files;
}

bool PluginPresent(const std::string& directory, const std::string& name)
{
    std::error_code error;
    const auto status = std::filesystem::status(directory + name, error);
    return !error && std::filesystem::exists(status) && !std::filesystem::is_directory(status);
}
