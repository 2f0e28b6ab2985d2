#pragma once
// The level a selector's entry stands for.

#include <string>

#include "compressors/OptimizerTypes.h"

// The level a selector's text gives (one digit; the JPEG selector also two).
// Throws std::runtime_error when the text does not start with a level.
Level LevelFromText(const std::string& text, bool jpegSelector);
