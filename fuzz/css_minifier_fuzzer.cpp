// The CSS minifier on arbitrary bytes: level 1 against the step-by-step
// oracle, level 2 never longer and applying the same declarations.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "CssOracle.h"
#include "compressors/text/CssMinifier.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view sheet(reinterpret_cast<const char*>(data), size);
    if (MinifyCSSBasic(sheet) != OracleCSSBasic(sheet)) std::abort();
    const std::string maximum = MinifyCSSMaximum(sheet);
    const std::string basic = MinifyCSSBasic(sheet);
    if (maximum.size() > basic.size() || !CascadeDifference(basic, maximum).empty()) std::abort();
    return 0;
}
