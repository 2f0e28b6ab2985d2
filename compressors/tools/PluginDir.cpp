#include "compressors/tools/PluginDir.h"

#include <unistd.h>

#include <vector>

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
    static const std::string directory = ProgramDir() + "plugins/";
    return directory;
}
