#pragma once
// The level a selector's entry stands for.

#include <string>

#include "app/core/FileKinds.h"
#include "compressors/OptimizerTypes.h"

// The level a selector's text gives (one digit; the JPEG selector also two).
// Throws std::runtime_error when the text does not start with a level.
Level LevelFromText(const std::string& text, bool jpegSelector);

// Whether a file of `kind` optimized at `level` may look different to a
// visitor: GIF 2 (fixed palette); CSS and HTML 1 and 2 (text rewrites). JS,
// PNG and JPEG levels never are (JPEG keeps orientation and colour profile).
bool LossyLevel(FileKind kind, int level);
