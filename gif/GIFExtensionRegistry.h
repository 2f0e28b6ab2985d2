#pragma once
// The registry of extension classes by label, and the choice of the class
// that reads an extension block.
#include <cstdint>

#include "gif/GIFExtension.h"

class TStream;

// The class registered for a label (0x01 text, 0xF9 graphic control, 0xFE
// comment, 0xFF application), or null.
const TGIFExtensionClass* FindExtensionClass(std::uint8_t label);

// With the stream at a label byte: the class to create, or null; the stream
// position is unchanged.
const TGIFExtensionClass* ResolveExtensionClass(TStream& stream);
