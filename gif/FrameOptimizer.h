#pragma once
// Makes an image smaller without changing what a viewer shows: sorts color
// maps by use, drops transparency and disposal that have no effect, makes
// pixels that repeat what the screen shows transparent (or wildcards), crops
// transparent edges (a frame that restores to background down to what it
// must clear), deletes frames that end up empty and extensions without
// display effect, and gives transparent frames their lowest free index.

#include <cstddef>
#include <cstdint>

#include "gif/GIFImage.h"
#include "gif/ScreenKeys.h"
#include "gif/TransparentIndex.h"

enum TGIFOptimizeOption : std::uint8_t {
    optCrop = 1,
    optMerge = 2,
    optCleanup = 4,
    optColorMaps = 8,
    optReduceColors = 16,
};
using TGIFOptimizeOptions = std::uint8_t;

// The frame optimizer. Only the reduction method is looked at: 9 with
// optReduceColors and without optCleanup fails with "Invalid reduction method".
void OptimizeFrames(TGIFImage& image, TGIFOptimizeOptions options, int reductionMethod, int ditherStyle,
                    int reductionDepth);

// Cuts a transparent frame down to the rectangle that holds pixels that are
// neither transparent nor wildcards, and `keep` (frame coordinates) when that
// is not empty; a frame without any such pixel is cleared completely (left
// empty).
void CropTransparentEdges(TGIFSubImage& frame, const TScreenRect& keep = {});

// Marks the pixels of `current` that show the same color as `previous` at the
// same screen position as wildcards (they may be written transparent), making
// the frame transparent (adding a transparent index when needed). The merge
// of OptimizeFrames falls back to this when the screen does not fit the
// memory budget.
void MergeWithPrevious(TGIFSubImage& current, TGIFSubImage* previous);
