#pragma once
// A plain, position-by-position HTML scanner used to check the product's
// linear one: every search runs afresh from its start, positions are 1-based.

#include <string>

#include "compressors/text/HtmlMinifier.h"

std::string OracleMinifyHTML(std::string text, const HtmlLevels& levels, const std::string& destinationDirectory,
                             const TRunEnvironment& environment);
