#include "compressors/base/PluginDir.h"

#include <unistd.h>

#include <filesystem>
#include <system_error>
#include <vector>

namespace {

bool HasPlugins(const std::string& folder)
{
    std::error_code error;
    return std::filesystem::is_directory(folder + "plugins", error);
}

}  // namespace

std::string ProgramDir()
{
    std::vector<char> buffer(4096);
    for (;;) {
        const ssize_t length = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
        if (length < 0) return "./";
        if (static_cast<std::size_t>(length) < buffer.size()) {
            std::string path(buffer.data(), static_cast<std::size_t>(length));
            return path.substr(0, path.rfind('/') + 1);
        }
        buffer.resize(buffer.size() * 2);
    }
}

std::string SupportDirFor(const std::string& programDir)
{
    if (HasPlugins(programDir)) return programDir;
    const std::string installed =
        std::filesystem::path(programDir + kInstalledSupportDir).lexically_normal().generic_string();
    if (HasPlugins(installed)) return installed;
    return programDir;
}

const std::string& SupportDir()
{
    static const std::string directory = SupportDirFor(ProgramDir());
    return directory;
}

const std::string& PluginDir()
{
    static const std::string directory = SupportDir() + "plugins/";
    return directory;
}
