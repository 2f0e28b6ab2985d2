#include "gif/FrameCrop.h"

#include <algorithm>

namespace {

bool HasOtherImage(const TGIFImage& image, const TGIFSubImage* frame)
{
    for (auto& other : image.Images())
        if (other.get() != frame && !other->IsEmpty()) return true;
    return false;
}

bool ShowsNothing(const TGIFSubImage& frame)
{
    const int t = frame.ShownTransparentIndex();
    for (std::size_t i = 0, n = frame.PixelsSize(); i < n; ++i)
        if (!frame.ShowsNothing(i, t)) return false;
    return true;
}

// A frame that shows nothing, kept as one transparent pixel at its place
// (with its extensions) instead of being deleted.
void ShrinkToTransparentPixel(TGIFSubImage& frame)
{
    const std::uint8_t t = std::uint8_t(frame.TransparentIndex());
    frame.SetWidth(1);
    frame.SetHeight(1);
    frame.ReleaseWildcards();
    frame.Pixels()[0] = t;
}

}  // namespace

void CropTransparentEdges(TGIFSubImage& frame, const TScreenRect& keep)
{
    if (frame.IsEmpty() || !frame.Transparent()) return;
    const int w = frame.Width(), h = frame.Height();
    const int t = frame.TransparentIndex();
    auto clear = [&](int x, int y) { return frame.ShowsNothing(std::size_t(y) * std::size_t(w) + std::size_t(x), t); };
    auto columnClear = [&](int x, int top, int bottom) {
        for (int y = top; y <= bottom; ++y)
            if (!clear(x, y)) return false;
        return true;
    };
    auto rowClear = [&](int y, int left, int right) {
        for (int x = left; x <= right; ++x)
            if (!clear(x, y)) return false;
        return true;
    };
    // The kept box bounds each edge's scan.
    const bool keeps = !keep.IsEmpty();
    const int keepLeft = keeps ? std::max(keep.Left, 0) : w, keepRight = keeps ? std::min(keep.Right, w) - 1 : -1;
    const int keepTop = keeps ? std::max(keep.Top, 0) : h, keepBottom = keeps ? std::min(keep.Bottom, h) - 1 : -1;
    int left = 0, right = w - 1, top = 0, bottom = h - 1;
    while (left <= right && left < keepLeft && columnClear(left, 0, h - 1)) ++left;
    while (left <= right && right > keepRight && columnClear(right, 0, h - 1)) --right;
    if (left <= right) {
        while (top <= bottom && top < keepTop && rowClear(top, left, right)) ++top;
        while (top <= bottom && bottom > keepBottom && rowClear(bottom, left, right)) --bottom;
    }
    if (left > right || top > bottom) {
        frame.Clear();
        return;
    }
    if (left == 0 && top == 0 && right == w - 1 && bottom == h - 1) return;
    frame.CropTo(left, top, right - left + 1, bottom - top + 1);
}

void CropFrames(TGIFImage& image, const std::optional<std::vector<TScreenRect>>& cleared)
{
    TGIFImageList& frames = image.Images();
    const TGIFAppExtNSLoop* loop = image.LoopExtension();
    const bool loopsForever = loop && loop->LoopCount == 0;
    // Where no frame waits, a viewer shows each frame for its own time.
    bool anyDelay = false;
    for (auto& frame : frames)
        anyDelay = anyDelay || (frame->GraphicControl() && frame->GraphicControl()->DelayTime() > 0);
    for (int k = frames.Count() - 1; k >= 0; --k) {
        TGIFSubImage& frame = *frames[k];
        // Restoring to background clears the whole frame rectangle:
        // unless nothing follows, such a frame is cut to the area it
        // must clear, or keeps its size when that is not known.
        if (frame.IsEmpty() || !frame.Transparent()) continue;
        if (frame.DisposalMethod() == 2 && k + 1 < frames.Count()) {
            if (!cleared) continue;
            const TScreenRect& area = (*cleared)[std::size_t(k)];
            CropTransparentEdges(frame, TScreenRect{area.Left - frame.Left(), area.Top - frame.Top(),
                                                    area.Right - frame.Left(), area.Bottom - frame.Top()});
            continue;
        }
        const int delay = frame.GraphicControl()->DelayTime();
        // A frame that shows nothing is dropped, except when that would
        // change what is shown: the only frame left with an image, a
        // first frame with a delay or the loop, a frame that shows for a
        // while what the disposal of the frame before it left. Those stay
        // as one transparent pixel.
        // The last frame of an animation that ends shows the disposed
        // state for good, whatever its delay.
        const bool shownForAWhile = delay > 0 || !anyDelay || (k + 1 == frames.Count() && !loopsForever);
        const bool hasLoop = frame.Extensions().Find<TGIFAppExtNSLoop>() != nullptr;
        if (ShowsNothing(frame) &&
            (!HasOtherImage(image, &frame) || (k == 0 && (delay > 0 || !anyDelay || hasLoop)) ||
             (k > 0 && shownForAWhile && frames[k - 1]->DisposalMethod() >= 2))) {
            ShrinkToTransparentPixel(frame);
            continue;
        }
        CropTransparentEdges(frame);
        if (frame.IsEmpty()) {
            // The dropped frame's time goes to the frame shown before it.
            if (k > 0 && delay > 0) {
                TGIFGraphicControlExtension& before = frames[k - 1]->EnsureGraphicControl();
                before.SetDelayTime(std::min(before.DelayTime() + delay, 0xFFFF));
            }
            frames.Delete(k);
        }
    }
}
