#include "app/cli/FolderWalk.h"

#include <filesystem>
#include <system_error>

#include "app/core/SiteFiles.h"
#include "app/core/WebFiles.h"

namespace fs = std::filesystem;

std::vector<TListEntry> ExpandPaths(const std::vector<std::string>& paths, bool flat, const std::string& outputDir,
                                    std::vector<std::string>* leftOut)
{
    std::vector<TListEntry> entries;
    for (const auto& path : paths) {
        std::error_code error;
        const auto status = fs::status(path, error);
        if (error || !fs::exists(status))
            throw PathError("cannot access \"" + path +
                            "\": " + (error ? error.message() : std::string("No such file or directory")));
        if (fs::is_regular_file(status)) {
            entries.push_back({path, {}});
            continue;
        }
        if (!fs::is_directory(status))  // a pipe or device would block or never end
            throw PathError("\"" + path + "\" is neither a file nor a folder");
        try {
            if (flat) {
                for (std::string& file : CollectWebFiles(path)) entries.push_back({std::move(file), {}});
            } else {
                auto below = CollectSiteFiles(path, outputDir, leftOut);
                entries.insert(entries.end(), std::make_move_iterator(below.begin()),
                               std::make_move_iterator(below.end()));
            }
        } catch (const std::runtime_error& failure) {
            throw PathError(failure.what());
        }
    }
    return entries;
}
