#include "app/core/WebFiles.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <stdexcept>
#include <system_error>

#include "app/core/PathParts.h"

bool IsWebFile(const std::string& path)
{
    static const char* const extensions[] = {".css", ".js", ".htm", ".html", ".gif", ".jpg", ".jpeg", ".jpe", ".png"};
    std::string extension = ExtensionOf(path);
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return std::any_of(std::begin(extensions), std::end(extensions),
                       [&](const char* known) { return extension == known; });
}

std::vector<std::string> CollectWebFiles(const std::string& folder)
{
    namespace fs = std::filesystem;
    std::vector<std::string> files;
    std::error_code error;
    fs::recursive_directory_iterator it(folder, fs::directory_options::skip_permission_denied, error);
    for (; !error && it != fs::recursive_directory_iterator(); it.increment(error)) {
        std::error_code typeError;
        if (it->is_regular_file(typeError) && IsWebFile(it->path().generic_string()))
            files.push_back(it->path().generic_string());
    }
    if (error) throw std::runtime_error("Cannot read folder \"" + folder + "\". " + error.message());
    std::sort(files.begin(), files.end());
    return files;
}
