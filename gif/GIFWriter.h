#pragma once
// Writing the byte layout of a GIF stream: signature, descriptors, the image
// data of a frame with the encoder its image asks for, and the trailer. The
// encoder (GIFEncode) and the level-2 writer write with these.
#include <cstdint>

#include "gif/GIFEncoder.h"
#include "gif/GIFFormat.h"

class TStream;

// "GIF87a" or "GIF89a".
void WriteSignature(TStream& stream, TGIFVersion version);
void WriteScreenDescriptor(TStream& stream, const TGIFScreenDescriptor& descriptor);
// The separator, then the descriptor.
void WriteImageDescriptor(TStream& stream, const TGIFImageDescriptor& descriptor);
// One frame's image data (code size byte, sub-blocks, terminator) with the LZW
// or the run-length encoder; the pixels
// marked in `replaced` are written as `replacement`.
void WriteImageData(TStream& stream, TGIFCompression compression, int bitsPerPixel, int colorLimit,
                    const std::uint8_t* pixels, bool interlaced, int height, int width,
                    const std::uint8_t* replaced = nullptr, int replacement = 0);
void WriteTrailer(TStream& stream);
