#include "app/cli/FolderWalk.h"

#include <filesystem>
#include <system_error>

#include "app/core/WebFiles.h"

namespace fs = std::filesystem;

std::vector<std::string> ExpandPaths(const std::vector<std::string>& paths)
{
    std::vector<std::string> files;
    for (const auto& path : paths) {
        std::error_code error;
        const auto status = fs::status(path, error);
        if (error || !fs::exists(status))
            throw PathError("cannot access \"" + path +
                            "\": " + (error ? error.message() : std::string("No such file or directory")));
        if (fs::is_regular_file(status)) {
            files.push_back(path);
            continue;
        }
        if (!fs::is_directory(status))  // a pipe or device would block or never end
            throw PathError("\"" + path + "\" is neither a file nor a folder");
        try {
            const auto below = CollectWebFiles(path);
            files.insert(files.end(), below.begin(), below.end());
        } catch (const std::runtime_error& failure) {
            throw PathError(failure.what());
        }
    }
    return files;
}
