// The HTML scanner against the plain oracle on arbitrary bytes, at levels 1
// and 2 and every CSS level. Scripts are copied as they stand (no plug-in
// folder), so no process is started.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "HtmlOracle.h"
#include "compressors/base/RunEnvironment.h"
#include "compressors/Optimizers.h"
#include "compressors/text/HtmlMinifier.h"

namespace {

TRunEnvironment WithoutPlugins()
{
    TRunEnvironment environment;
    environment.pluginDir = "/nonexistent-qwo-plugins/";
    return environment;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const TRunEnvironment environment = WithoutPlugins();
    if (size == 0) return 0;
    // The first byte picks the levels; the rest is the page.
    const HtmlLevels levels = PageLevels(static_cast<Level>(1 + (data[0] & 1)), 0, static_cast<Level>((data[0] >> 1) % 3));
    const std::string page(reinterpret_cast<const char*>(data + 1), size - 1);
    std::string working = page;
    const std::string fast = MinifyHTML(working, levels, "", environment);
    if (fast != OracleMinifyHTML(page, levels, "", environment)) std::abort();
    return 0;
}
