#include "app/core/SiteFiles.h"

#include <algorithm>
#include <filesystem>
#include <stdexcept>
#include <system_error>

namespace fs = std::filesystem;

std::vector<TListEntry> CollectSiteFiles(const std::string& folder)
{
    const std::string prefix = folder.empty() || folder.back() == '/' ? folder : folder + "/";
    std::vector<TListEntry> entries;
    std::error_code error;
    fs::recursive_directory_iterator it(folder, error);
    for (; !error && it != fs::recursive_directory_iterator(); it.increment(error)) {
        const fs::path& path = it->path();
        if (path.filename().native().front() == '.') {
            it.disable_recursion_pending();
            continue;
        }
        std::error_code typeError;
        if (!it->is_regular_file(typeError)) continue;  // folders, folder links, pipes, dangling links
        std::string relative = path.lexically_relative(folder).generic_string();
        entries.push_back({prefix + relative, std::move(relative)});
    }
    if (error) throw std::runtime_error("Cannot read folder \"" + folder + "\". " + error.message());
    std::sort(entries.begin(), entries.end(),
              [](const TListEntry& a, const TListEntry& b) { return a.relative < b.relative; });
    return entries;
}
