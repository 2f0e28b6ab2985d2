#include "tests/gifsupport/Corpus.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

namespace {

std::filesystem::path Root()
{
    return std::filesystem::path(QWO_CORPUS_DIR) / "gif";
}

}  // namespace

std::vector<std::string> CorpusFiles()
{
    std::vector<std::string> files;
    std::error_code error;
    if (!std::filesystem::is_directory(Root(), error)) return files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(Root()))
        if (entry.is_regular_file() && entry.path().extension() == ".gif") files.push_back(entry.path().string());
    std::sort(files.begin(), files.end());
    return files;
}

std::string CorpusName(const std::string& path)
{
    const std::string root = Root().string() + "/";
    return path.rfind(root, 0) == 0 ? path.substr(root.size()) : path;
}

std::string CorpusTestName(const std::string& path)
{
    std::string name = std::filesystem::path(CorpusName(path)).replace_extension().string();
    for (char& c : name)
        if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
    return name;
}
