#pragma once
// Level 1's comparison of each frame with what the screen already shows, and
// the choice of transparent indices that follows from it.
#include <optional>
#include <vector>

#include "gif/GIFImage.h"
#include "gif/ScreenKeys.h"

// Goes through the frames as a viewer shows them (disposals included) and
// marks every pixel that shows the color the screen already has there as a
// wildcard: a pixel of its color, or a transparent pixel, which then takes
// the index of that color in the frame's table when it has one. A frame that
// was not transparent becomes transparent with an index that none of its
// other pixels shows, or a new entry; without room for one it is left as it
// is. Gives, per frame, the box of its area (screen coordinates) that shows
// something before it is drawn: a frame that restores to background clears
// that much when it goes. Nothing (and no change) when the screen's keys do
// not fit the image's budget.
std::optional<std::vector<TScreenRect>> MarkRepeatedPixels(TGIFImage& image);

// Each transparent frame takes the lowest index its shown pixels do not use
// as its transparent index; then entries at the end of a table that no frame
// uses are dropped (the background index moves to 0 when its entry goes).
void UseLowestTransparentIndices(TGIFImage& image);
