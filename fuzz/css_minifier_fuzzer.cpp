// The linear CSS minifier against the step-by-step oracle on arbitrary bytes,
// at both levels.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "CssOracle.h"
#include "compressors/text/CssMinifier.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view sheet(reinterpret_cast<const char*>(data), size);
    if (MinifyCSSBasic(sheet) != OracleCSSBasic(sheet)) std::abort();
    if (MinifyCSSMaximum(sheet) != OracleCSSMaximum(sheet)) std::abort();
    return 0;
}
