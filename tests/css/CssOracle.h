#pragma once
// Straightforward, slow renderings of the two minification levels, written
// step by step as whole-text replacements and pair-by-pair comparisons.
// The fast minifier must match them byte for byte.

#include <string>
#include <string_view>

std::string OracleCSSBasic(std::string_view text);
std::string OracleCSSMaximum(std::string_view text);
