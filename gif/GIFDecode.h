#pragma once
// Reading a whole GIF into the object model (TGIFImage::ReadFrom and the
// loaders come from here too).
#include <functional>

#include "gif/GIFImage.h"

struct TGIFReadOptions {
    // Frames keep their descriptors, color tables and extensions, and no pixels.
    bool SkipImageData = false;
    // Called with each frame as soon as its pixels are decoded.
    std::function<void(TGIFSubImage& frame)> FrameRead;
};

// Clears the image, then reads header, frames (0x00 bytes between blocks
// skipped; a byte that starts no block ends the list) and trailer, and grows
// the screen to the frames (only a screen without pixels grows: frames are
// cut to any other). On an error the stream goes back to where it
// was (the frames read before stay).
void ReadGIF(TStream& stream, TGIFImage& image, const TGIFReadOptions& options = {});

// One frame from its extensions on: extensions, then (unless the next byte
// ends the frame) descriptor, local map and pixels. A frame of zero width or
// height takes the size of the logical screen. Only the part of the frame on
// a logical screen that has pixels is kept (and decoded into memory); a frame wholly
// outside it becomes one transparent pixel at (0, 0) that disposes of
// nothing, keeping its delay.
void ReadFrame(TStream& stream, TGIFSubImage& frame, const TGIFHeader& header, const TGIFReadOptions& options = {});

// The image data of a frame into its pixels (filled with the transparent
// index of a transparent frame first).
void DecodePixels(TStream& stream, TGIFSubImage& frame);
