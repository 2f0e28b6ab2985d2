#pragma once
// The size and ratio texts of the results grid.

#include <string>

#include "compressors/base/OptimizerTypes.h"

// "%8.0d B", "%8.1n kB", "%8.2n MB", "%8.3n GB" with the given separators.
std::string HumanSize(ByteCount size, const std::string& thousandsSeparator = ",",
                      const std::string& decimalSeparator = ".");

// optimized * 100 / original as "%f%%" with two decimals; "n/a" when original is 0.
std::string RatioText(long long optimized, long long original, const std::string& decimalSeparator = ".");
