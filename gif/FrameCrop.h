#pragma once
// The frame optimizer's crop step: transparent edges go, frames that show
// nothing go (or shrink to one transparent pixel where dropping them would
// change what is shown).
#include <optional>
#include <vector>

#include "gif/GIFImage.h"
#include "gif/ScreenKeys.h"

// Crops every transparent frame, last to first. A frame that restores to
// background is cut to the area it must clear (`cleared`, per frame, from
// MergeFrames) or keeps its size when that is not known, unless nothing
// follows it. A dropped frame's delay goes to the frame before it.
void CropFrames(TGIFImage& image, const std::optional<std::vector<TScreenRect>>& cleared);

// Cuts a transparent frame down to the rectangle that holds pixels that are
// neither transparent nor wildcards, and `keep` (frame coordinates) when that
// is not empty; a frame without any such pixel is cleared completely (left
// empty).
void CropTransparentEdges(TGIFSubImage& frame, const TScreenRect& keep = {});
