#pragma once
// Makes an image smaller without changing what a viewer shows: sorts color
// maps by use, drops transparency and disposal that have no effect, makes
// pixels that repeat the previous frame transparent, crops transparent edges,
// deletes frames that end up empty and extensions without display effect.

#include <cstddef>
#include <cstdint>

#include "gif/GIFImage.h"

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
// neither transparent nor wildcards; a frame without any is cleared
// completely (left empty).
void CropTransparentEdges(TGIFSubImage& frame);

// Marks the pixels of `current` that show the same color as `previous` at the
// same screen position as wildcards (they may be written transparent), making
// the frame transparent (adding a transparent index when needed).
void MergeWithPrevious(TGIFSubImage& current, TGIFSubImage* previous);

// Whether the frame's color map can take one more entry for transparency.
bool CanAddTransparentIndex(const TGIFSubImage& frame);
// A transparent index for the frame: a new black entry of its local map,
// another frame's index in the shared global map, or a new global entry.
int ChooseTransparentIndex(TGIFSubImage& frame);

bool ContainsIndex(const std::uint8_t* buffer, std::uint8_t value, std::size_t length);
