#pragma once
// How the engine renders frames: options a caller sets on an image before it
// reads or renders it (defaults: never dither, render only on request).

struct TGIFRenderOptions {
    // The display has 8 bits per pixel or fewer, so frames would be dithered for it.
    bool ScreenNeedsDither = false;
    // Each frame is rendered as soon as it has been read.
    bool RenderAfterDecode = false;
};
