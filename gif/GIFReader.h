#pragma once
// Reading the byte layout of a GIF stream: signature and logical screen
// descriptor, image descriptors, the bytes that start blocks, and data
// sub-blocks. The decoder (GIFDecode) and the extensions read with these.
#include <cstdint>

#include "gif/GIFFormat.h"

class TStream;

// The signature, "GIF" in any letter case at the current position or 4 bytes
// further (the version is not examined), then the logical screen descriptor.
// "Invalid GIF signature" without one; "Premature end of data" when short.
TGIFScreenDescriptor ReadScreenDescriptor(TStream& stream);
// The image descriptor, separator byte included (not checked).
TGIFImageDescriptor ReadImageDescriptor(TStream& stream);
// The next byte that is not 0x00; false at the end of the stream.
bool ReadBlockStart(TStream& stream, std::uint8_t& value);
// The next byte, left unread; false at the end of the stream.
bool PeekByte(TStream& stream, std::uint8_t& value);
// Skips data sub-blocks up to and including the terminator (or the end of the stream).
void SkipSubBlocks(TStream& stream);
