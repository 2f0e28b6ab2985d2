#pragma once
// How the engine draws frames at level 2 (TFlatCanvas). Default: never dither.

struct TGIFRenderOptions {
    // The display has 8 bits per pixel or fewer, so frames are dithered to
    // the web-safe colors before they are drawn.
    bool ScreenNeedsDither = false;
};
