#include "compressors/tools/ProgramSearch.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

#include "compressors/base/PluginDir.h"
#include "compressors/tools/WindowsArguments.h"

namespace {

bool IsExecutableFile(const std::string& path)
{
    struct stat info {};
    return !path.empty() && ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
           ::access(path.c_str(), X_OK) == 0;
}

std::string InFolder(const std::string& folder, const std::string& name)
{
    if (folder.empty()) return "./" + name;  // an empty PATH entry is the current folder
    return folder.back() == '/' ? folder + name : folder + "/" + name;
}

}  // namespace

std::optional<std::string> FindProgram(const std::string& name)
{
    if (name.empty()) return std::nullopt;
    if (name.find('/') != std::string::npos) {
        if (IsExecutableFile(name)) return name;
        return std::nullopt;
    }
    std::vector<std::string> folders{SupportDir(), "./"};
    if (const char* path = std::getenv("PATH")) {
        std::string entries(path);
        std::size_t start = 0;
        for (;;) {
            const std::size_t colon = entries.find(':', start);
            folders.push_back(entries.substr(start, colon == std::string::npos ? std::string::npos : colon - start));
            if (colon == std::string::npos) break;
            start = colon + 1;
        }
    }
    for (const auto& folder : folders) {
        const std::string candidate = InFolder(folder, name);
        if (IsExecutableFile(candidate)) return candidate;
    }
    return std::nullopt;
}

std::optional<std::vector<std::string>> ResolveCommandLine(const std::string& commandLine)
{
    std::size_t begin = 0;
    while (begin < commandLine.size() && IsCommandLineBlank(commandLine[begin])) ++begin;
    if (begin >= commandLine.size()) return std::nullopt;

    if (commandLine[begin] == '"') {
        auto arguments = SplitCommandLine(commandLine);
        auto program = FindProgram(arguments.front());
        if (!program) return std::nullopt;
        arguments.front() = *program;
        return arguments;
    }

    // Unquoted: every blank is a possible end of the program name.
    std::size_t stop = begin;
    for (;;) {
        while (stop < commandLine.size() && !IsCommandLineBlank(commandLine[stop])) ++stop;
        if (auto program = FindProgram(commandLine.substr(begin, stop - begin))) {
            std::vector<std::string> result{*program};
            for (auto& argument : SplitArguments(commandLine, stop)) result.push_back(std::move(argument));
            return result;
        }
        if (stop >= commandLine.size()) return std::nullopt;
        while (stop < commandLine.size() && IsCommandLineBlank(commandLine[stop])) ++stop;
    }
}
