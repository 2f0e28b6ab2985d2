#include "app/core/SiteFiles.h"

#include <algorithm>
#include <filesystem>
#include <stdexcept>
#include <string_view>
#include <system_error>

#include "app/core/OutputRecord.h"
#include "compressors/base/StaleTemporaries.h"

namespace fs = std::filesystem;

// Entries that are no part of the site: version control, desktop litter, and
// what this program leaves in an output folder (a run in progress, a manifest).
bool IsSkippedSiteName(std::string_view name)
{
    for (const std::string_view skipped : {".git", ".svn", ".hg", ".DS_Store", "Thumbs.db"})
        if (name == skipped) return true;
    return name == kManifestName || IsTemporaryName(name);
}

std::vector<TListEntry> CollectSiteFiles(const std::string& folder, const std::string& skipped,
                                         std::vector<std::string>* leftOut)
{
    std::error_code skippedError;
    const bool skipping = !skipped.empty() && fs::is_directory(skipped, skippedError);
    const std::string prefix = folder.empty() || folder.back() == '/' ? folder : folder + "/";
    std::vector<TListEntry> entries;
    std::error_code error;
    fs::recursive_directory_iterator it(folder, error);
    for (; !error && it != fs::recursive_directory_iterator(); it.increment(error)) {
        const fs::path& path = it->path();
        if (IsSkippedSiteName(path.filename().native())) {
            it.disable_recursion_pending();
            continue;
        }
        std::error_code sameError;
        if (it->is_directory(sameError) && ((skipping && fs::equivalent(path, skipped, sameError)) ||
                                            fs::exists(path / kManifestName, sameError))) {
            if (leftOut) leftOut->push_back(path.string());
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
