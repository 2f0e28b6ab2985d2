#include "ToolReason.h"

#include <regex>
#include <sstream>

namespace {

// The first "Error:" or "Warning:" line (optipng's), else the first line
// that is not progress, a note or a backtrace, without hints at options.
std::string ReasonOf(const std::string& messages)
{
    std::istringstream lines(messages);
    std::string line, first;
    static const std::regex skipped(R"(^\s*$|^\s|^(Processing|Optimizing|note|stack backtrace)\b)");
    while (std::getline(lines, line)) {
        for (const char* prefix : {"Error: ", "Warning: "})
            if (line.rfind(prefix, 0) == 0) return line.substr(line.find(": ") + 2);
        if (first.empty() && !std::regex_search(line, skipped)) first = line;
    }
    for (const char* hint : {"; May be recoverable by using --fix", " (checking CRC can be disabled)"})
        if (const auto at = first.find(hint); at != std::string::npos) first.erase(at);
    return first;
}

}  // namespace

std::string ToolFailure(const std::string& tool, const std::string& messages, int status, std::uint32_t width,
                        std::uint32_t height)
{
    static const std::regex memory(R"(memory allocation (of [0-9]+ bytes )?failed|bad_alloc|[Oo]ut of memory)");
    static const std::regex internal(R"(panicked at|Assertion .* failed|assertion failed)");
    if (std::regex_search(messages, memory))
        return tool + " ran out of memory on a picture of " + std::to_string(width) + " x " + std::to_string(height) +
               " pixels";
    if (std::regex_search(messages, internal)) return tool + " stopped on an internal error";
    std::string line = tool + " failed";
    if (const std::string reason = ReasonOf(messages); !reason.empty()) line += ": " + reason;
    if (status > 128) line += " (signal " + std::to_string(status - 128) + ")";
    return line;
}
