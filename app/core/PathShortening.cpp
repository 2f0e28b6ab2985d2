#include "app/core/PathShortening.h"

namespace {

const std::string kMarker = ".../";

// Removes the first folder of a folder part (which ends in "/"), leaving the
// ".../" marker in its place.
std::string CutFirstFolder(std::string folder)
{
    if (folder == "/") return "";
    const bool rooted = folder.front() == '/';
    if (rooted) folder.erase(0, 1);
    if (folder.compare(0, kMarker.size(), kMarker) == 0) folder.erase(0, kMarker.size());
    const auto slash = folder.find('/');
    folder = slash == std::string::npos ? std::string() : kMarker + folder.substr(slash + 1);
    return rooted ? "/" + folder : folder;
}

}  // namespace

std::string ShortenPath(const std::string& path, int maxWidth, const TextWidthFunction& textWidth)
{
    const auto lastSlash = path.rfind('/');
    std::string folder = lastSlash == std::string::npos ? std::string() : path.substr(0, lastSlash + 1);
    const std::string name = path.substr(folder.size());

    std::string result = path;
    while (!folder.empty() && textWidth(result) > maxWidth) {
        if (folder == "/" + kMarker)
            folder = kMarker;
        else
            folder = CutFirstFolder(folder);
        result = folder + name;
    }
    return result;
}
