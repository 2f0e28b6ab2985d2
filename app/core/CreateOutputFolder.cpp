#include "app/core/CreateOutputFolder.h"

#include <filesystem>
#include <stdexcept>
#include <system_error>

#include "app/core/RunPlan.h"

void CreateOutputFolder(const std::string& outputDirText)
{
    namespace fs = std::filesystem;
    const std::string folder = OutputFolderOf(outputDirText);
    std::error_code error;
    fs::create_directories(folder, error);
    if (!error && !fs::is_directory(folder, error)) error = std::make_error_code(std::errc::not_a_directory);
    if (error) throw std::runtime_error("Cannot create the output folder \"" + folder + "\". " + error.message());
}
