#pragma once
// The frame optimizer's color map step: every map ordered by use.
#include "gif/GIFImage.h"

// Orders the map by decreasing use over the frames that index it and drops
// the colors no pixel uses; the pixels (and the transparent indices) follow.
// For the global map the background index follows its entry too. False
// (nothing done) for at most one entry, or a global map without frames.
bool SortByUsage(TGIFImage& image, TGIFColorMap& map);

// Sorts the global map (a background index past the remaining entries then
// becomes the shared transparent index, or 0) and every local map.
void SortColorMaps(TGIFImage& image);
