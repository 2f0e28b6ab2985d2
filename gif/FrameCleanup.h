#pragma once
// The frame optimizer's cleanup steps: what has no effect on what a viewer
// shows goes.
#include "gif/GIFImage.h"

// A loop extension found on a later frame goes to the first frame (unless
// that has one), where every viewer looks for it. Before any frame is dropped.
void MoveLoopExtensionToFirstFrame(TGIFImage& image);

// Transparency of a frame that shows no transparent pixel goes, and so does a
// restore (to background or previous) that the next frame paints over whole.
void DropNeedlessTransparencyAndDisposal(TGIFImage& image);

// Comments, plain text, unknown application extensions and loop extensions
// past the first frame (or of a single frame) go, graphic controls that
// change nothing go, frames left with neither pixels nor extensions go; then
// every transparent frame takes its lowest free index.
void DropNeedlessExtensions(TGIFImage& image);
