#include "gif/FrameOptimizer.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <mutex>
#include <optional>
#include <vector>

#include "gif/ImageProgress.h"
#include "gif/ScreenMerge.h"

namespace {

const std::string kOptimizing = "Optimizing...";

struct TRect {
    int Left, Top, Right, Bottom;
    bool IsEmpty() const { return Left >= Right || Top >= Bottom; }
    bool operator==(const TRect&) const = default;
};

TRect FrameRect(const TGIFSubImage& frame)
{
    return {frame.Left(), frame.Top(), frame.Left() + frame.Width(), frame.Top() + frame.Height()};
}

TRect Intersection(const TRect& a, const TRect& b)
{
    return {std::max(a.Left, b.Left), std::max(a.Top, b.Top), std::min(a.Right, b.Right), std::min(a.Bottom, b.Bottom)};
}

int Disposal(const TGIFSubImage& frame)
{
    return frame.GraphicControl() ? frame.GraphicControl()->DisposalMethod() : 0;
}

TGIFGraphicControlExtension& EnsureGraphicControl(TGIFSubImage& frame)
{
    if (TGIFGraphicControlExtension* existing = frame.GraphicControl()) return *existing;
    auto created = std::make_unique<TGIFGraphicControlExtension>(&frame);
    auto* extension = created.get();
    frame.Extensions().Add(std::move(created));
    return *extension;
}

void DeleteExtension(TGIFSubImage& frame, const TGIFExtension* extension)
{
    const int index = frame.Extensions().IndexOf(extension);
    if (index >= 0) frame.Extensions().Delete(index);
}

// Colors of a map as comparable keys; indices past the map get keys that
// match nothing (distinct per map through `tag`).
std::array<std::uint32_t, 256> ColorKeys(const TGIFColorMap& map, std::uint32_t tag)
{
    std::array<std::uint32_t, 256> keys{};
    for (int i = 0; i < 256; ++i) keys[std::size_t(i)] = i < map.EntryCount() ? map.Color(i) : tag | std::uint32_t(i);
    return keys;
}

bool HasOtherImage(const TGIFImage& image, const TGIFSubImage* frame)
{
    for (auto& other : image.Images())
        if (other.get() != frame && !other->IsEmpty()) return true;
    return false;
}

bool ShowsNothing(const TGIFSubImage& frame)
{
    for (std::size_t i = 0, n = frame.PixelsSize(); i < n; ++i)
        if (!frame.ShowsNothing(i)) return false;
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

bool HasLoopExtension(const TGIFSubImage& frame)
{
    return frame.Extensions().Find<TGIFAppExtNSLoop>() != nullptr;
}

// The loop extension that holds: the first one in the file.
const TGIFAppExtNSLoop* FindLoopExtension(const TGIFImage& image)
{
    for (auto& frame : image.Images())
        if (const auto* loop = frame->Extensions().Find<TGIFAppExtNSLoop>()) return loop;
    return nullptr;
}

// A loop extension found on a later frame goes to the first frame (unless
// that has one), where every viewer looks for it.
void MoveLoopExtensionToFirstFrame(TGIFImage& image)
{
    TGIFImageList& frames = image.Images();
    if (frames.Count() < 2 || HasLoopExtension(*frames[0])) return;
    const TGIFAppExtNSLoop* loop = FindLoopExtension(image);
    if (!loop) return;
    auto moved = std::make_unique<TGIFAppExtNSLoop>(frames[0]);
    moved->LoopCount = loop->LoopCount;
    moved->BufferingSize = loop->BufferingSize;
    frames[0]->Extensions().Insert(0, std::move(moved));
}

// After unused entries left the global table, a background index past its
// end becomes the shared transparent index, or 0.
void KeepBackgroundInTable(TGIFImage& image)
{
    const int count = image.GlobalColorMap().EntryCount();
    if (image.Header().BackgroundIndex < count) return;
    int index = 0;
    for (auto& frame : image.Images())
        if (frame->ColorMap().EntryCount() == 0 && frame->Transparent()) {
            index = frame->TransparentIndex() < count ? frame->TransparentIndex() : 0;
            break;
        }
    image.Header().BackgroundIndex = std::uint8_t(index);
}

class TProgress {
public:
    TProgress(const TGIFImage& image, int total) : fImage(image), fTotal(std::max(total, 1)) {}
    void Step(int count = 1) { fStep += count; }
    void Report() const
    {
        fImage.Progress(TGIFProgressStage::Running, int(std::lround(fStep * 100.0 / fTotal)), kOptimizing);
    }

private:
    const TGIFImage& fImage;
    int fTotal;
    int fStep = 0;
};

}  // namespace

void CropTransparentEdges(TGIFSubImage& frame, const TScreenRect& keep)
{
    if (frame.IsEmpty() || !frame.Transparent()) return;
    const int w = frame.Width(), h = frame.Height();
    auto clear = [&](int x, int y) { return frame.ShowsNothing(std::size_t(y) * std::size_t(w) + std::size_t(x)); };
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

void MergeWithPrevious(TGIFSubImage& current, TGIFSubImage* previous)
{
    if (current.IsEmpty() || !previous || previous->IsEmpty()) return;
    const int previousDisposal = Disposal(*previous);
    if (previousDisposal == 2 || previousDisposal == 3) return;
    const TRect area = Intersection(FrameRect(current), FrameRect(*previous));
    if (area.IsEmpty()) return;

    const bool wasTransparent = current.Transparent();
    int tc = -1;
    bool needed = false;
    if (wasTransparent)
        tc = current.TransparentIndex();
    else if (!CanAddTransparentIndex(current))
        return;
    else
        needed = true;
    const int tp = previous->Transparent() ? previous->TransparentIndex() : -1;

    const bool sameMap = &current.EffectiveColorMap() == &previous->EffectiveColorMap();
    const auto currentKeys = ColorKeys(current.EffectiveColorMap(), 0x01000000);
    const auto previousKeys = ColorKeys(previous->EffectiveColorMap(), 0x02000000);
    const std::size_t cw = std::size_t(current.Width()), pw = std::size_t(previous->Width());
    std::uint8_t* cp = current.Pixels();
    const std::uint8_t* pp = previous->Pixels();
    for (int y = area.Top; y < area.Bottom; ++y) {
        std::uint8_t* crow = cp + std::size_t(y - current.Top()) * cw - std::size_t(current.Left());
        const std::uint8_t* prow = pp + std::size_t(y - previous->Top()) * pw - std::size_t(previous->Left());
        for (int x = area.Left; x < area.Right; ++x) {
            const std::uint8_t a = crow[x], b = prow[x];
            if ((tc >= 0 && a == tc) || b == tp) continue;
            const bool same = (sameMap && a == b) || currentKeys[a] == previousKeys[b];
            if (!same) continue;
            if (needed) {
                tc = ChooseTransparentIndex(current);
                needed = false;
            }
            current.SetWildcard(std::size_t(crow + x - cp));
        }
    }
    if (!wasTransparent && tc >= 0) {
        TGIFGraphicControlExtension& control = EnsureGraphicControl(current);
        control.SetTransparentFlag(true);
        control.SetTransparentIndex(tc);
    }
    current.ReleaseRendering();
}

void OptimizeFrames(TGIFImage& image, TGIFOptimizeOptions options, int reductionMethod, int, int)
{
    if (image.Images().Empty()) return;
    image.StopPainters();
    std::lock_guard<std::mutex> lock(image.PainterLock);
    TGIFImageList& frames = image.Images();
    WithProgress(&image, kOptimizing, [&] {
        const int count = frames.Count();
        TProgress progress(image, 6 * count);
        // Before any frame is dropped.
        if (options & optCleanup) MoveLoopExtensionToFirstFrame(image);

        if (options & optColorMaps) {
            if (image.GlobalColorMap().EntryCount() > 0 && image.GlobalColorMap().SortByUsage())
                KeepBackgroundInTable(image);
            for (int i = 0; i < count; ++i) {
                progress.Step();
                if (frames[i]->ColorMap().EntryCount() > 0) {
                    frames[i]->ColorMap().SortByUsage();
                    progress.Report();
                }
            }
        }

        if (options & optCleanup) {
            for (int i = 0; i < count; ++i) {
                progress.Step();
                TGIFSubImage& frame = *frames[i];
                if (frame.Transparent() &&
                    !ContainsIndex(frame.Pixels(), std::uint8_t(frame.TransparentIndex()), frame.PixelsSize())) {
                    frame.GraphicControl()->SetTransparentFlag(false);
                    progress.Report();
                }
            }
            for (int i = 0; i + 1 < count; ++i) {
                progress.Step();
                TGIFSubImage& frame = *frames[i];
                TGIFSubImage& next = *frames[i + 1];
                const int disposal = Disposal(frame);
                // The next frame's own restore-to-previous would bring back
                // this frame's disposed state: then the disposal matters.
                if ((disposal != 2 && disposal != 3) || next.Transparent() || Disposal(next) == 3) continue;
                const TRect overlap = Intersection(FrameRect(frame), FrameRect(next));
                if (overlap.IsEmpty()) continue;
                if (overlap == FrameRect(frame)) frame.GraphicControl()->SetDisposalMethod(0);
                progress.Report();
            }
        } else {
            progress.Step(2 * count);
        }

        // Per frame that restores to background, the area it must clear
        // (when known): it is cropped to that.
        std::optional<std::vector<TScreenRect>> cleared;
        if (options & optMerge) {
            if (count > 1) cleared = MarkRepeatedPixels(image);
            if (!cleared) {
                for (int k = count - 1; k >= 1; --k) {
                    int p = k - 1;
                    while (p > 0 && Disposal(*frames[p]) == 3) --p;
                    MergeWithPrevious(*frames[k], frames[p]);
                }
            }
            progress.Step(count);
            progress.Report();
        } else {
            progress.Step(count);
        }

        if (options & optCrop) {
            const TGIFAppExtNSLoop* loop = FindLoopExtension(image);
            const bool loopsForever = loop && loop->LoopCount == 0;
            // Where no frame waits, a viewer shows each frame for its own time.
            bool anyDelay = false;
            for (auto& frame : frames)
                anyDelay = anyDelay || (frame->GraphicControl() && frame->GraphicControl()->DelayTime() > 0);
            for (int k = count - 1; k >= 0; --k) {
                progress.Step();
                TGIFSubImage& frame = *frames[k];
                // Restoring to background clears the whole frame rectangle:
                // unless nothing follows, such a frame is cut to the area it
                // must clear, or keeps its size when that is not known.
                if (frame.IsEmpty() || !frame.Transparent()) continue;
                if (Disposal(frame) == 2 && k + 1 < frames.Count()) {
                    if (!cleared) continue;
                    const TScreenRect& area = (*cleared)[std::size_t(k)];
                    CropTransparentEdges(frame, TScreenRect{area.Left - frame.Left(), area.Top - frame.Top(),
                                                            area.Right - frame.Left(), area.Bottom - frame.Top()});
                    progress.Report();
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
                if (ShowsNothing(frame) &&
                    (!HasOtherImage(image, &frame) || (k == 0 && (delay > 0 || !anyDelay || HasLoopExtension(frame))) ||
                     (k > 0 && shownForAWhile && Disposal(*frames[k - 1]) >= 2))) {
                    ShrinkToTransparentPixel(frame);
                    progress.Report();
                    continue;
                }
                CropTransparentEdges(frame);
                if (frame.IsEmpty()) {
                    // The dropped frame's time goes to the frame shown before it.
                    if (k > 0 && delay > 0) {
                        TGIFGraphicControlExtension& before = EnsureGraphicControl(*frames[k - 1]);
                        before.SetDelayTime(std::min(before.DelayTime() + delay, 0xFFFF));
                    }
                    frames.Delete(k);
                }
                progress.Report();
            }
        } else {
            progress.Step(count);
        }
        progress.Step(count);

        if (options & optCleanup) {
            for (int k = frames.Count() - 1; k >= 0; --k) {
                TGIFSubImage& frame = *frames[k];
                TGIFExtensionList& extensions = frame.Extensions();
                for (int e = extensions.Count() - 1; e >= 0; --e) {
                    TGIFExtension* extension = extensions[e];
                    const bool loop = dynamic_cast<TGIFAppExtNSLoop*>(extension) != nullptr;
                    if (dynamic_cast<TGIFCommentExtension*>(extension) || dynamic_cast<TGIFTextExtension*>(extension) ||
                        dynamic_cast<TGIFUnknownAppExtension*>(extension) || (loop && (k > 0 || frames.Count() == 1)))
                        extensions.Delete(e);
                }
                if (TGIFGraphicControlExtension* control = frame.GraphicControl()) {
                    const bool single = frames.Count() == 1;
                    if ((control->DelayTime() == 0 || single) && !control->TransparentFlag() &&
                        !control->WaitForInput() && (control->DisposalMethod() < 2 || single))
                        DeleteExtension(frame, control);
                }
                if (frame.IsEmpty() && extensions.Empty()) frames.Delete(k);
            }
            UseLowestTransparentIndices(image);
            progress.Report();
        } else if ((options & optReduceColors) && reductionMethod == 9) {
            throw GIFException("Invalid reduction method");
        }
    });
}
