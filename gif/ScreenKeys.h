#pragma once
// What the logical screen shows between the frames of an animation, the way
// viewers composite it: one key per pixel, the color (red + 256 green +
// 65536 blue) or kNothing where no frame has drawn or a disposal cleared.
#include <algorithm>
#include <array>
#include <cstdint>
#include <vector>

#include "gif/GIFLimits.h"

class TGIFSubImage;
class TGIFColorMap;

struct TScreenRect {
    int Left = 0, Top = 0, Right = 0, Bottom = 0;  // right and bottom exclusive
    bool IsEmpty() const { return Left >= Right || Top >= Bottom; }
    bool operator==(const TScreenRect&) const = default;
};

// The frame's rectangle on the screen (unclipped), and the overlap of two.
TScreenRect FrameRect(const TGIFSubImage& frame);
TScreenRect Intersection(const TScreenRect& a, const TScreenRect& b);

// Keys of a frame's colors by index; indices past its table match nothing.
using TFrameKeys = std::array<std::uint32_t, 256>;
TFrameKeys FrameKeys(const TGIFColorMap& map);

class TScreenKeys {
public:
    static constexpr std::uint32_t kNothing = 0x01000000;
    static constexpr std::uint32_t kUnknown = 0x02000000;  // a color past the table
    static bool IsColor(std::uint32_t key) { return key < kNothing; }

    // Counts the keys against the budget ("Image is too large").
    TScreenKeys(int width, int height, TGIFMemoryBudget& budget);
    ~TScreenKeys();
    TScreenKeys(const TScreenKeys&) = delete;
    TScreenKeys& operator=(const TScreenKeys&) = delete;

    // The frame's rectangle on the screen (clipped).
    TScreenRect Area(const TGIFSubImage& frame) const;
    const std::uint32_t* Row(int y) const { return fKeys.data() + std::size_t(y) * std::size_t(fWidth); }
    std::uint32_t* Row(int y) { return fKeys.data() + std::size_t(y) * std::size_t(fWidth); }
    // The box of the pixels in `area` that show something (empty when none).
    TScreenRect ShownBox(const TScreenRect& area) const;

    // A frame as a viewer shows it: Draw (after Save when the frame restores
    // to previous), then Clear its rectangle (restore to background) or
    // Restore what was saved.
    void Save(const TScreenRect& area);
    void Draw(const TGIFSubImage& frame, const TFrameKeys& keys, const TScreenRect& area);
    void Clear(const TScreenRect& area);
    void Restore(const TScreenRect& area);

private:
    int fWidth, fHeight;
    TGIFMemoryBudget& fBudget;
    std::vector<std::uint32_t> fKeys;
    std::vector<std::uint32_t> fSaved;  // the area under a frame that restores to previous
    std::uint64_t fCounted = 0;
};
