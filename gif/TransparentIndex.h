#pragma once
// Finding a transparent index for a frame of an image.
#include <cstddef>
#include <cstdint>

#include "gif/GIFImage.h"

// Whether the frame's color map can take one more entry for transparency.
bool CanAddTransparentIndex(const TGIFImage& image, const TGIFSubImage& frame);
// A transparent index for the frame: a new black entry of its local map,
// another frame's index in the shared global map, or a new global entry.
int ChooseTransparentIndex(TGIFImage& image, TGIFSubImage& frame);

bool ContainsIndex(const std::uint8_t* buffer, std::uint8_t value, std::size_t length);
