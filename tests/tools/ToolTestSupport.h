#pragma once
// Command output and the tool runner's reset for the tool tests, with the
// shared temp-folder and file helpers.

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <sstream>
#include <string>

#include "compressors/tools/ToolRunner.h"
#include "tests/support/Files.h"
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

// Restores the tool runner's global settings after each test.
class ToolRunnerState : public ::testing::Test {
protected:
    void TearDown() override
    {
        SetCommandExecutor({});
        SetToolRunnerHooks({});
        SetPluginDir(std::string(QWO_BIN_DIR) + "/plugins/");
    }
};

}  // namespace tooltest
