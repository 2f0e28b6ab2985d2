#include "compressors/text/CssMinifier.h"

std::string MinifyCSSBasic(std::string_view text)
{
    return std::string(text);
}

std::string MinifyCSSMaximum(std::string_view text)
{
    return MinifyCSSBasic(text);
}
