#pragma once
// The flattened rewrite of an animation, frame by frame: every frame of the
// source is drawn onto a canvas of halftone palette indices that starts
// transparent, and each frame's disposal is applied before the next one as a
// browser does (restore to background clears the frame's rectangle to
// transparent, restore to previous puts back what was there before the
// frame). The picture after each frame becomes one frame of the output,
// written while they come: the first whole, each later one as the rectangle
// that differs from what the output shows before it, with the unchanged
// pixels inside it as wildcards. Where a picture turns pixels transparent
// again, the frame before is widened over them and restores to background.
// So the output has as many frames as the source (delays and the first loop
// extension kept), each showing the source's picture at that moment in the
// nearest halftone colors, transparent where the source is transparent.
// The colors are those of the halftone palette that the pictures use, most
// used first, plus a transparent entry.
//
// Memory is that of the source's bytes, three canvases and a frame of each
// kind, whatever the frame count, and all of it is counted against the
// budget before it is taken ("Image is too large"). The source is read three
// times (layout, colors, pictures).

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "gif/GIFLimits.h"
#include "gif/GIFRenderOptions.h"

// The output; GIFOutputLimit as soon as it would exceed outputLimit bytes,
// and also when the pictures use all 256 halftone colors and show
// transparency, which leaves no entry for it (no output of this kind).
// A frame without any color table is drawn through the halftone palette.
// "No image in the file" when no frame has pixels.
std::vector<std::uint8_t> FlattenAnimation(std::span<const std::uint8_t> source, TGIFMemoryBudget& budget,
                                           const TGIFRenderOptions& rendering, std::size_t outputLimit);
