#pragma once
// The flattened rewrite of an animation, frame by frame: every frame of the
// source is drawn over the previous ones onto an 8-bit canvas with the
// halftone palette (white at first), and the pictures this gives are written
// as a new animation while they come: the first whole, each later one as the
// rectangle that changed, with the unchanged pixels inside it as wildcards
// (transparent where that is shorter); a picture that changes nothing gives
// its delay to the one before. The colors are those of the halftone palette
// that the pictures use, most used first, plus a transparent entry. Frames
// keep their delays; the first loop extension of the source is kept.
//
// Memory is that of the source's bytes, two canvases and a frame of each
// kind, whatever the frame count, and all of it is counted against the
// budget before it is taken ("Image is too large"). The source is read three
// times (layout, colors, pictures).

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "gif/GIFLimits.h"
#include "gif/GIFRenderOptions.h"

// The output; GIFOutputLimit as soon as it would exceed outputLimit bytes.
// A frame without any color table is drawn through the halftone palette.
std::vector<std::uint8_t> FlattenAnimation(std::span<const std::uint8_t> source, TGIFMemoryBudget& budget,
                                           const TGIFRenderOptions& rendering, std::size_t outputLimit);
