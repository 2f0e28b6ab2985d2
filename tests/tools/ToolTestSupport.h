#pragma once
// Command output for the tool tests, with the shared temp-folder and file
// helpers.

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "compressors/base/RunEnvironment.h"
#include "tests/support/CommandLines.h"
#include "tests/support/Files.h"
#include "tests/support/Processes.h"
#include "tests/support/TempDir.h"

namespace tooltest {

// Runs a shell command (test set-up and oracles only) and returns its stdout.
inline std::string Capture(const std::string& command)
{
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(::popen(command.c_str(), "r"), ::pclose);
    if (!pipe) return {};
    std::string output;
    char buffer[65536];
    std::size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, pipe.get())) > 0) output.append(buffer, got);
    return output;
}

// Single-quoted for the shell.
inline std::string ShellQuote(const std::string& text)
{
    std::string quoted = "'";
    for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

// The run environment of the tests: the real plug-ins beside the test
// programs, notices collected in `messages`.
inline TRunEnvironment CollectingEnvironment(std::vector<std::string>& messages)
{
    TRunEnvironment environment;
    environment.pluginDir = std::string(QWO_BIN_DIR) + "/plugins/";
    environment.hooks.notify = [&messages](const std::string& message) { messages.push_back(message); };
    return environment;
}

}  // namespace tooltest
