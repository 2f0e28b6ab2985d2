#include "app/cli/PathGlob.h"

#include <algorithm>

bool GlobMatches(std::string_view glob, std::string_view path)
{
    if (glob.empty()) return path.empty();
    if (glob.substr(0, 2) == "**") {
        std::string_view rest = glob.substr(2);
        if (rest.substr(0, 1) == "/" && GlobMatches(rest.substr(1), path)) return true;  // "**/": no folder
        for (std::size_t skip = 0; skip <= path.size(); ++skip)
            if (GlobMatches(rest, path.substr(skip))) return true;
        return false;
    }
    if (glob[0] == '*') {
        for (std::size_t skip = 0; skip <= path.size(); ++skip) {
            if (GlobMatches(glob.substr(1), path.substr(skip))) return true;
            if (skip < path.size() && path[skip] == '/') break;
        }
        return false;
    }
    if (path.empty()) return false;
    if (glob[0] == '?' ? path[0] == '/' : glob[0] != path[0]) return false;
    return GlobMatches(glob.substr(1), path.substr(1));
}

std::string TFileFilter::MatchedPath(const TListEntry& entry)
{
    if (!entry.relative.empty()) return entry.relative;
    const std::size_t slash = entry.source.rfind('/');
    return slash == std::string::npos ? entry.source : entry.source.substr(slash + 1);
}

bool TFileFilter::Takes(const std::string& path) const
{
    const auto matches = [&path](const std::string& glob) { return GlobMatches(glob, path); };
    return (include.empty() || std::any_of(include.begin(), include.end(), matches)) &&
           std::none_of(exclude.begin(), exclude.end(), matches);
}

std::vector<TListEntry> FilteredEntries(std::vector<TListEntry> entries, const TFileFilter& filter,
                                        std::vector<std::string>& leftOut)
{
    if (filter.Empty()) return entries;
    std::vector<TListEntry> taken;
    for (TListEntry& entry : entries) {
        if (filter.Takes(TFileFilter::MatchedPath(entry)))
            taken.push_back(std::move(entry));
        else
            leftOut.push_back(entry.source);
    }
    return taken;
}
