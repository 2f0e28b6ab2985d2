#pragma once
// How the engine renders frames: the options of an image (TGIFImage::Rendering),
// set before it is read or drawn with ApplyRenderOptions (FrameRenderer.h).
// Defaults: never dither, render only on request.

struct TGIFRenderOptions {
    // The display has 8 bits per pixel or fewer, so frames would be dithered for it.
    bool ScreenNeedsDither = false;
    // Each frame is rendered as soon as it has been read.
    bool RenderAfterDecode = false;
};
