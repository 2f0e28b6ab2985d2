#include "compressors/text/CssMinifier.h"

#include "compressors/text/CssRuns.h"

std::string MinifyCSSMaximum(std::string_view text)
{
    const std::string basic = MinifyCSSBasic(text);
    std::string result;
    result.reserve(basic.size());
    CssStringSink sink(result);
    RegroupRuns(basic, sink);
    return result;
}
