#include "app/core/WebFiles.h"

#include <algorithm>
#include <filesystem>
#include <stdexcept>
#include <system_error>

#include "app/core/FileKinds.h"

bool IsWebFile(const std::string& path)
{
    return FileKindOf(path, LetterCase::Any) != nullptr;
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
