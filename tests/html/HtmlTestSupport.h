#pragma once
// Helpers shared by the HTML tests: the shared temp folder and files, run environments with a
// chosen plug-in folder and a minify call that also checks the result against the plain oracle.

#include <gtest/gtest.h>

#include <string>

#include "HtmlOracle.h"
#include "compressors/Optimizers.h"
#include "compressors/base/RunEnvironment.h"
#include "compressors/text/HtmlMinifier.h"
#include "tests/support/Files.h"
#include "tests/support/TempDir.h"

// A run environment whose plug-in folder is `directory` (with its trailing "/").
inline TRunEnvironment PluginsIn(const std::string& directory)
{
    TRunEnvironment environment;
    environment.pluginDir = directory;
    return environment;
}

// The real plug-ins beside the test programs.
inline TRunEnvironment RealPlugins()
{
    return PluginsIn(std::string(QWO_BIN_DIR) + "/plugins/");
}

// No plug-ins at all: script elements are copied as they stand.
inline TRunEnvironment NoPlugins()
{
    return PluginsIn("/nonexistent-qwo-plugins/");
}

// Minifies with the product and with the oracle; both must agree.
inline std::string Minify(const std::string& page, HtmlLevels levels = {}, const std::string& directory = "",
                          const TRunEnvironment& environment = NoPlugins())
{
    std::string working = page;
    std::string fast = MinifyHTML(working, levels, directory, environment);
    EXPECT_EQ(fast, OracleMinifyHTML(page, levels, directory, environment)) << "page: " << page;
    return fast;
}

inline std::string Level1(const std::string& page)
{
    return Minify(page, PageLevels(1, 0, 0));
}
