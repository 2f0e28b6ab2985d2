#pragma once
// A GIF as a browser plays it, decoded by giflib: the logical screen, grown
// to the first frame's rectangle, starts transparent, each frame is drawn over it (its transparent pixels leave the
// screen as it was), then its disposal applies (2 clears the frame's
// rectangle to transparent, 3 restores the screen as it was before the
// frame, the others leave it). A delay of 0 or 1 hundredth is shown as 10, as
// browsers do. Consecutive equal pictures are one picture shown for their
// delays added.

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

struct GifFileType;

// The NETSCAPE2.0 loop count of a file giflib has read (0: for ever); -1 without one.
int GifLoopCount(const GifFileType* gif);

class TGifMovie {
public:
    // Null when giflib cannot read the bytes or the screen has more than
    // kMaxCheckedPixels pixels.
    static std::unique_ptr<TGifMovie> Open(std::span<const std::uint8_t> bytes);
    ~TGifMovie();
    TGifMovie(const TGifMovie&) = delete;
    TGifMovie& operator=(const TGifMovie&) = delete;

    int Width() const { return width_; }
    int Height() const { return height_; }
    // The NETSCAPE2.0 loop count (0: for ever); -1 without one (played once).
    int LoopCount() const { return loopCount_; }

    // Moves to the next picture; false after the last.
    bool Next();
    // The picture (RGBA, transparent pixels 0,0,0,0) and how long it shows, in hundredths.
    const std::vector<std::uint8_t>& Picture() const { return picture_; }
    long Duration() const { return duration_; }

private:
    TGifMovie() = default;
    bool NextFrame();  // composites the next stored frame into pending_

    GifFileType* gif_ = nullptr;
    int width_ = 0, height_ = 0, loopCount_ = -1;
    int frame_ = 0;                      // the next stored frame
    std::vector<std::uint8_t> screen_;   // after the disposal of the last frame drawn
    std::vector<std::uint8_t> pending_;  // a frame drawn and not yet shown
    long pendingDelay_ = 0;
    bool hasPending_ = false;
    std::vector<std::uint8_t> picture_;
    long duration_ = 0;
};
