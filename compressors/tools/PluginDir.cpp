#include <unistd.h>

#include <optional>
#include <vector>

#include "compressors/tools/ToolRunner.h"

namespace {
std::optional<std::string> pluginDir;
}

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

const std::string& PluginDir()
{
    if (!pluginDir) pluginDir = ProgramDir() + "plugins/";
    return *pluginDir;
}

void SetPluginDir(const std::string& directory)
{
    pluginDir = directory;
}
