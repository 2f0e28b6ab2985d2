#pragma once
// The level a selector's entry stands for.

#include <string>

#include "app/core/FileKinds.h"
#include "compressors/base/OptimizerTypes.h"

// The level a selector's text gives (one digit; the JPEG selector also two).
// Throws std::runtime_error when the text does not start with a level.
Level LevelFromText(const std::string& text, bool jpegSelector);

// Whether a file of `kind` optimized at `level` may look different to a
// visitor: GIF 2 (fixed palette); CSS 2 (a grouped selector list an old
// browser drops whole); HTML 1 and 2 (white space styled only by sheets it
// does not read). CSS 1, JS, PNG and JPEG levels never are.
bool LossyLevel(FileKind kind, int level);
