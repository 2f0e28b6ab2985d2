#pragma once
// Makes an image smaller without changing what a viewer shows, in steps that
// each live in their own file: color maps sorted by use (ColorMapSort),
// needless transparency, disposal and extensions dropped (FrameCleanup),
// pixels that repeat what the screen shows made wildcards (FrameMerge),
// transparent edges and empty frames cropped (FrameCrop).
#include "gif/GIFImage.h"

struct TGIFOptimizeSteps {
    bool Crop = true;
    bool Merge = true;
    bool Cleanup = true;
    bool ColorMaps = true;
};

void OptimizeFrames(TGIFImage& image, const TGIFOptimizeSteps& steps = {});
