#include "TestSupport.h"

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

TempDir::TempDir()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "qwo-app-XXXXXX").string();
    if (!::mkdtemp(pattern.data()))
        throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
}

TempDir::~TempDir()
{
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

void WriteFile(const std::string& path, const std::string& bytes)
{
    const auto parent = std::filesystem::path(path).parent_path();
    if (!parent.empty())
        std::filesystem::create_directories(parent);
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!file)
        throw std::runtime_error("cannot write " + path);
}

std::string ReadFile(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    if (!file)
        throw std::runtime_error("cannot read " + path);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

bool FileExists(const std::string& path)
{
    return std::filesystem::exists(path);
}

void RecordingHost::SetProgressMax(int maximum)
{
    TBatchHost::SetProgressMax(maximum);
    progressMaxima.push_back(maximum);
}

void RecordingHost::SetProgress(int position)
{
    TBatchHost::SetProgress(position);
    progressPositions.push_back(position);
}

void RecordingHost::RepaintAndProcessMessages()
{
    if (afterFile)
        afterFile(filesDone);
    ++filesDone;
}

std::vector<std::string> RecordingHost::Row(int row) const
{
    std::vector<std::string> cells;
    for (int column = 0; column < grid.ColumnCount(); ++column)
        cells.push_back(grid.Cell(column, row));
    return cells;
}
