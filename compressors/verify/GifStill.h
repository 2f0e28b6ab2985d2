#pragma once
// The first picture of a GIF as a browser shows it (GifMovie.h), read by
// giflib a row at a time: two still images are compared without holding
// either picture whole.

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <vector>

using TSameRow = std::function<bool(const std::vector<std::uint8_t>&, const std::vector<std::uint8_t>&)>;

// Compares the first pictures of two GIFs row by row (RGBA rows, transparent
// pixels 0,0,0,0, through `sameRow`). False when the screens differ in size
// or a row differs (the movies differ from their first moment); true when
// every row agrees and each file holds one image and reads to its end;
// nothing when this cannot tell (giflib refuses a file, a file holds no image
// or more than one, a screen beyond kMaxCheckedPixels): the movies must then
// be compared whole.
std::optional<bool> SameStillGif(std::span<const std::uint8_t> a, std::span<const std::uint8_t> b,
                                 const TSameRow& sameRow);
