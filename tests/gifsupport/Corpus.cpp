#include "support/Corpus.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

namespace {

const std::filesystem::path& Root()
{
    static const std::filesystem::path root = std::filesystem::path(QWO_CORPUS_DIR) / "gif";
    return root;
}

}  // namespace

std::vector<std::string> CorpusGIFs()
{
    std::vector<std::string> files;
    std::error_code error;
    if (!std::filesystem::is_directory(Root(), error)) return files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(Root()))
        if (entry.is_regular_file() && entry.path().extension() == ".gif") files.push_back(entry.path().string());
    std::sort(files.begin(), files.end());
    return files;
}

std::string CorpusTestName(const std::string& path)
{
    std::string name = std::filesystem::relative(path, Root()).replace_extension().string();
    for (char& c : name)
        if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
    return name;
}
