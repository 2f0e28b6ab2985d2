#include "app/cli/FolderWalk.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <system_error>

#include "app/core/PathParts.h"

namespace fs = std::filesystem;

namespace {

std::vector<std::string> WebFilesBelow(const std::string& folder)
{
    std::vector<std::string> files;
    std::error_code error;
    fs::recursive_directory_iterator it(folder, fs::directory_options::skip_permission_denied, error);
    for (; !error && it != fs::recursive_directory_iterator(); it.increment(error)) {
        std::error_code typeError;
        if (it->is_regular_file(typeError) && IsWebFileName(it->path().generic_string()))
            files.push_back(it->path().generic_string());
    }
    if (error)
        throw PathError("cannot read \"" + folder + "\": " + error.message());
    std::sort(files.begin(), files.end());
    return files;
}

}  // namespace

bool IsWebFileName(const std::string& path)
{
    std::string extension = ExtensionOf(path);
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    static const char* const accepted[] = {".css", ".js",  ".htm", ".html", ".gif",
                                           ".jpg", ".jpeg", ".jpe", ".png"};
    return std::any_of(std::begin(accepted), std::end(accepted),
                       [&](const char* e) { return extension == e; });
}

std::vector<std::string> ExpandPaths(const std::vector<std::string>& paths)
{
    std::vector<std::string> files;
    for (const auto& path : paths) {
        std::error_code error;
        const auto status = fs::status(path, error);
        if (error || !fs::exists(status))
            throw PathError("cannot access \"" + path + "\": " +
                            (error ? error.message() : std::string("No such file or directory")));
        if (fs::is_directory(status)) {
            const auto below = WebFilesBelow(path);
            files.insert(files.end(), below.begin(), below.end());
        } else {
            files.push_back(path);
        }
    }
    return files;
}
