#pragma once
// Helpers shared by the HTML tests: the shared temp folder and files, a PluginDir override and
// a minify call that also checks the result against the plain oracle.

#include <gtest/gtest.h>

#include <string>

#include "HtmlOracle.h"
#include "compressors/text/HtmlMinifier.h"
#include "compressors/tools/ToolRunner.h"
#include "tests/support/Files.h"
#include "tests/support/TempDir.h"

class PluginDirScope {
public:
    explicit PluginDirScope(const std::string& directory) : saved_(PluginDir()) { SetPluginDir(directory); }
    ~PluginDirScope() { SetPluginDir(saved_); }
    PluginDirScope(const PluginDirScope&) = delete;
    PluginDirScope& operator=(const PluginDirScope&) = delete;

private:
    std::string saved_;
};

// The real plug-ins beside the test programs.
inline std::string RealPluginDir()
{
    return std::string(QWO_BIN_DIR) + "/plugins/";
}

// Minifies with the product and with the oracle; both must agree.
inline std::string Minify(const std::string& page, HtmlLevels levels = {}, const std::string& directory = "")
{
    std::string working = page;
    std::string fast = MinifyHTML(working, levels, directory);
    EXPECT_EQ(fast, OracleMinifyHTML(page, levels, directory)) << "page: " << page;
    return fast;
}

inline std::string Level1(const std::string& page)
{
    return Minify(page, HtmlLevels{1, 0, 0});
}
