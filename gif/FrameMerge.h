#pragma once
// The frame optimizer's merge step: pixels that repeat what the screen
// already shows become wildcards (written transparent where that is shorter).
#include <optional>
#include <vector>

#include "gif/GIFImage.h"
#include "gif/ScreenKeys.h"

// Marks the repeated pixels of every frame against the composited screen
// (MarkRepeatedPixels, ScreenMerge.h); when the screen does not fit the
// budget, against the frame shown before each one instead. Gives, per frame
// that restores to background, the area it must clear, when known.
std::optional<std::vector<TScreenRect>> MergeFrames(TGIFImage& image);

// Marks the pixels of `current` that show the same color as `previous` at the
// same screen position as wildcards (they may be written transparent), making
// the frame transparent (adding a transparent index when needed).
void MergeWithPrevious(TGIFImage& image, TGIFSubImage& current, TGIFSubImage* previous);
