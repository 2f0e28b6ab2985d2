#pragma once
// An animation composited as a browser shows it, frame by frame, in halftone
// palette indices: the screen starts transparent; a frame's transparent
// pixels leave the screen as it is and its other pixels take the nearest
// halftone color; before the next frame, disposal 2 clears the frame's
// rectangle to transparent and disposal 3 puts back what was there before
// the frame (others keep it). Keeps the picture before the last frame too,
// so that a caller sees what each frame changed.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <vector>

#include "gif/GIFLimits.h"
#include "gif/GIFRenderOptions.h"

class TGIFSubImage;
class TGIFColorMap;

// A rectangle of the screen; right and bottom exclusive.
struct TFlatBox {
    int Left = 0, Top = 0, Right = 0, Bottom = 0;
    bool Empty() const { return Left >= Right || Top >= Bottom; }
    bool Contains(int x, int y) const { return x >= Left && x < Right && y >= Top && y < Bottom; }
    int Width() const { return Right - Left; }
    int Height() const { return Bottom - Top; }
    // The smallest box holding both (an empty box adds nothing).
    TFlatBox Union(const TFlatBox& other) const;
};

// A canvas pixel that nothing paints: transparent.
inline constexpr std::uint16_t kFlatClear = 256;

class TFlatCanvas {
public:
    // Counts its canvases against the budget.
    TFlatCanvas(int width, int height, TGIFMemoryBudget& budget, const TGIFRenderOptions& rendering);

    int Width() const { return fWidth; }
    int Height() const { return fHeight; }
    // The picture after the last frame, and the one before it (all clear
    // before the first frame): halftone indices or kFlatClear.
    const std::uint16_t* Row(int y) const { return fPixels.data() + std::size_t(y) * std::size_t(fWidth); }
    const std::uint16_t* PreviousRow(int y) const { return fPrevious.data() + std::size_t(y) * std::size_t(fWidth); }

    // Reads the source, drawing each frame that has pixels and calling back
    // with the box in which its picture differs from the one before (the
    // whole screen for the first) and its delay.
    using TPictureHandler = std::function<void(const TFlatBox& changed, int delay, bool first)>;
    void Run(std::span<const std::uint8_t> source, const TPictureHandler& next);

private:
    void Draw(TGIFSubImage& frame, const TGIFColorMap& global);
    TFlatBox Changes(const TFlatBox& area) const;
    void Keep(const TFlatBox& area);
    void Dispose(int method, const TFlatBox& area);
    void Save(const TFlatBox& area);

    int fWidth, fHeight;
    TGIFMemoryBudget& fBudget;
    TGIFReservation fReservation;
    std::vector<std::uint16_t> fPixels, fPrevious, fSaved;
    TGIFRenderOptions fRendering;
};
