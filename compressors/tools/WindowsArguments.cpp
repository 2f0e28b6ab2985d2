#include "compressors/tools/WindowsArguments.h"

bool IsCommandLineBlank(char c)
{
    return c == ' ' || c == '\t';
}

std::vector<std::string> SplitArguments(const std::string& text, std::size_t start)
{
    std::vector<std::string> arguments;
    std::size_t i = start;
    const std::size_t end = text.size();
    for (;;) {
        while (i < end && IsCommandLineBlank(text[i])) ++i;
        if (i >= end) break;
        std::string argument;
        bool quoted = false;
        while (i < end) {
            const char c = text[i];
            if (!quoted && IsCommandLineBlank(c)) break;
            if (c == '\\') {
                std::size_t j = i;
                while (j < end && text[j] == '\\') ++j;
                const std::size_t count = j - i;
                if (j < end && text[j] == '"') {
                    argument.append(count / 2, '\\');
                    if (count % 2 == 1) {
                        argument += '"';
                        i = j + 1;
                    } else {
                        i = j;  // the quote groups; handled next
                    }
                } else {
                    argument.append(count, '\\');
                    i = j;
                }
            } else if (c == '"') {
                if (quoted && i + 1 < end && text[i + 1] == '"') {
                    argument += '"';
                    i += 2;
                } else {
                    quoted = !quoted;
                    ++i;
                }
            } else {
                argument += c;
                ++i;
            }
        }
        arguments.push_back(std::move(argument));
    }
    return arguments;
}

std::vector<std::string> SplitCommandLine(const std::string& commandLine)
{
    std::size_t i = 0;
    while (i < commandLine.size() && IsCommandLineBlank(commandLine[i])) ++i;
    if (i >= commandLine.size()) return {};
    std::string program;
    if (commandLine[i] == '"') {
        const std::size_t close = commandLine.find('"', i + 1);
        const std::size_t stop = close == std::string::npos ? commandLine.size() : close;
        program = commandLine.substr(i + 1, stop - i - 1);
        i = close == std::string::npos ? stop : close + 1;
    } else {
        std::size_t stop = i;
        while (stop < commandLine.size() && !IsCommandLineBlank(commandLine[stop])) ++stop;
        program = commandLine.substr(i, stop - i);
        i = stop;
    }
    std::vector<std::string> result{program};
    for (auto& argument : SplitArguments(commandLine, i)) result.push_back(std::move(argument));
    return result;
}

std::string QuoteArgument(const std::string& argument)
{
    std::string quoted = "\"";
    std::size_t i = 0;
    while (i < argument.size()) {
        std::size_t j = i;
        while (j < argument.size() && argument[j] == '\\') ++j;
        const std::size_t count = j - i;
        if (j == argument.size()) {
            quoted.append(count * 2, '\\');  // doubled so the closing quote still closes
            break;
        }
        if (argument[j] == '"') {
            quoted.append(count * 2 + 1, '\\');
            quoted += '"';
        } else {
            quoted.append(count, '\\');
            quoted += argument[j];
        }
        i = j + 1;
    }
    quoted += '"';
    return quoted;
}
