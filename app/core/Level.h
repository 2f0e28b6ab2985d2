#pragma once
// The level a selector's entry stands for.

#include <string>

#include "app/core/FileKinds.h"
#include "compressors/OptimizerTypes.h"

// The level a selector's text gives (one digit; the JPEG selector also two).
// Throws std::runtime_error when the text does not start with a level.
Level LevelFromText(const std::string& text, bool jpegSelector);

// Whether a file of `kind` optimized at `level` may look different to a
// visitor: GIF 2 (fixed palette); JPEG 2, 12, 23 and 4 (orientation, and at 4
// the colour profile, dropped); CSS and HTML 1 and 2 (text rewrites). JS and
// PNG levels never are.
bool LossyLevel(FileKind kind, int level);
