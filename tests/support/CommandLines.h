#pragma once
// Reading the plug-in command lines that the executor seam receives. Header
// only: the test programs that use it link the tool runner.

#include <regex>
#include <string>

#include "compressors/tools/WindowsArguments.h"

// The command line with every temporary name's unique part written as "*":
// ".qwo-*.png", "_temporary.*.t3mp".
inline std::string WithoutUniqueParts(const std::string& commandLine)
{
    static const std::regex unique(R"((\.qwo-|_temporary\.)[0-9]+-[0-9a-f]{16})");
    return std::regex_replace(commandLine, unique, "$1*");
}

// The destination a plug-in's command line names: the argument after "-ow"
// (the script plug-in), else the last one.
inline std::string DestinationArgument(const std::string& commandLine)
{
    const auto arguments = SplitCommandLine(commandLine);
    for (std::size_t i = 0; i + 1 < arguments.size(); ++i)
        if (arguments[i] == "-ow") return arguments[i + 1];
    return arguments.empty() ? std::string() : arguments.back();
}
