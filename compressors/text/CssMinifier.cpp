#include "compressors/text/CssMinifier.h"

#include "compressors/base/LargeText.h"
#include "compressors/text/CssRuns.h"

std::string MinifyCSSMaximum(std::string_view text)
{
    const std::string basic = MinifyCSSBasic(text);
    std::string result;
    ReserveLargeText(result, basic.size());
    CssStringSink sink(result);
    RegroupRuns(basic, sink);
    return result;
}

std::string MinifyCSS(std::string_view text, const TCssOptions& options)
{
    if (options.level == 0) return std::string(text);
    return options.level == 2 ? MinifyCSSMaximum(text) : MinifyCSSBasic(text);
}
