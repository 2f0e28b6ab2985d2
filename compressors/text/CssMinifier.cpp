#include "compressors/text/CssMinifier.h"

#include <cstdint>

#include "compressors/text/CssRegrouper.h"

std::string MinifyCSSMaximum(std::string_view text)
{
    std::string basic = MinifyCSSBasic(text);
    CssRegrouper regrouper(basic);
    if (!regrouper.Read()) return basic;
    const std::uint64_t length = regrouper.Plan();
    if (length > basic.size()) return basic;
    std::string result;
    result.reserve(length);
    CssStringSink sink(result);
    regrouper.Write(sink);
    return result;
}
