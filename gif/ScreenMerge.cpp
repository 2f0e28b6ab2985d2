#include "gif/ScreenMerge.h"

#include <bitset>

#include "gif/GIFExtensions.h"
#include "gif/PixelBits.h"
#include "gif/TransparentIndex.h"

namespace {

// The first index of each color of a table, by key.
class TColorIndex {
public:
    explicit TColorIndex(const TFrameKeys& keys)
    {
        fSlots.fill(kEmpty);
        for (int i = 255; i >= 0; --i) {
            const std::uint32_t key = keys[std::size_t(i)];
            if (!TScreenKeys::IsColor(key)) continue;
            std::size_t slot = Hash(key);
            while (fSlots[slot] != kEmpty && fKeys[slot] != key) slot = (slot + 1) & (kSize - 1);
            fKeys[slot] = key;
            fSlots[slot] = std::uint16_t(i);
        }
    }
    int Find(std::uint32_t key) const
    {
        for (std::size_t slot = Hash(key);; slot = (slot + 1) & (kSize - 1)) {
            if (fSlots[slot] == kEmpty) return -1;
            if (fKeys[slot] == key) return fSlots[slot];
        }
    }

private:
    static constexpr std::size_t kSize = 1024;
    static constexpr std::uint16_t kEmpty = 0xFFFF;
    static std::size_t Hash(std::uint32_t key) { return ((key * 2654435761u) >> 22) & (kSize - 1); }
    std::array<std::uint32_t, kSize> fKeys{};
    std::array<std::uint16_t, kSize> fSlots{};
};

void MakeTransparent(TGIFSubImage& frame, int index)
{
    TGIFGraphicControlExtension& control = frame.EnsureGraphicControl();
    control.SetTransparentFlag(true);
    control.SetTransparentIndex(index);
}

// Marks the frame's pixels that repeat the screen, and draws the frame on
// it; whether any pixel was marked. Tells which values the pixels in the area
// that are not marked show.
bool MarkAndDraw(TGIFSubImage& frame, const TFrameKeys& keys, TScreenKeys& screen, const TScreenRect& area,
                 TValueSets& shown)
{
    const int t = frame.ShownTransparentIndex();
    const TColorIndex colors(keys);
    const std::size_t width = std::size_t(frame.Width());
    std::uint8_t* pixels = frame.Pixels();
    std::uint8_t* wild = frame.WildcardBits();
    bool any = false;
    for (int y = area.Top; y < area.Bottom; ++y) {
        std::uint32_t* row = screen.Row(y);
        const std::size_t base = std::size_t(y - frame.Top()) * width - std::size_t(frame.Left());
        // The marks of the byte at hand, written when the next one begins.
        std::size_t byte = (base + std::size_t(area.Left)) >> 3;
        unsigned marks = wild[byte];
        for (int x = area.Left; x < area.Right; ++x) {
            const std::size_t at = base + std::size_t(x);
            if ((at >> 3) != byte) {
                wild[byte] = std::uint8_t(marks);
                byte = at >> 3;
                marks = wild[byte];
            }
            const std::uint32_t key = row[x];
            const int pixel = pixels[at];
            // Keys of colors only: nothing and unknown never match.
            unsigned repeats = keys[std::size_t(pixel)] == key;
            if (pixel == t && !repeats && TScreenKeys::IsColor(key)) {
                const int own = colors.Find(key);
                if (own >= 0) {
                    pixels[at] = std::uint8_t(own);
                    repeats = 1;
                }
            }
            marks |= repeats << (at & 7);
            any = any || repeats;
            shown[repeats][pixels[at]] = true;
            // What a viewer shows: a repeated pixel shows the same color.
            row[x] = pixel != t ? keys[std::size_t(pixel)] : key;
        }
        wild[byte] = std::uint8_t(marks);
    }
    if (!any) frame.ReleaseWildcards();
    return any;
}

// A transparent index for a frame that was not transparent: the lowest index
// no other pixel shows (`fixed`: the values of those), else a new entry; -1
// without room for one.
int FreeIndex(TGIFImage& image, TGIFSubImage& frame, const std::array<bool, 256>& fixed)
{
    const int count = image.ColorMapOf(frame).EntryCount();
    for (int i = 0; i < count; ++i)
        if (!fixed[std::size_t(i)]) return i;
    return CanAddTransparentIndex(image, frame) ? ChooseTransparentIndex(image, frame) : -1;
}

// The box of the frame's pixels (screen coordinates) that are neither
// transparent nor wildcards.
TScreenRect DrawnBox(const TGIFSubImage& frame, const TScreenRect& area)
{
    const int t = frame.ShownTransparentIndex();
    const std::size_t width = std::size_t(frame.Width());
    const std::uint8_t* pixels = frame.Pixels();
    const std::uint8_t* wild = frame.Wildcards();
    TScreenRect box{area.Right, area.Bottom, area.Left, area.Top};
    for (int y = area.Top; y < area.Bottom; ++y) {
        const std::size_t base = std::size_t(y - frame.Top()) * width - std::size_t(frame.Left());
        for (int x = area.Left; x < area.Right; ++x) {
            const std::size_t at = base + std::size_t(x);
            if (pixels[at] == t || (wild && TestBit(wild, at))) continue;
            box = {std::min(box.Left, x), std::min(box.Top, y), std::max(box.Right, x + 1), y + 1};
        }
    }
    return box.IsEmpty() ? TScreenRect{} : box;
}

TScreenRect Union(const TScreenRect& a, const TScreenRect& b)
{
    if (a.IsEmpty()) return b;
    if (b.IsEmpty()) return a;
    return {std::min(a.Left, b.Left), std::min(a.Top, b.Top), std::max(a.Right, b.Right), std::max(a.Bottom, b.Bottom)};
}

// What a frame that restores to background must clear (the screen shows it
// drawn): what it drew itself, and of what shows in its area, what the next
// frame does not draw over (else it would stay, where the source shows
// nothing). Where the next frame restores to previous, the screen it goes
// back to is this cleared one: then all that shows in the area.
TScreenRect AreaToClear(const TGIFSubImage& frame, const TGIFSubImage* next, const TScreenKeys& screen,
                        const TScreenRect& area)
{
    if (!next || next->IsEmpty() || next->DisposalMethod() == 3) return Union(DrawnBox(frame, area), screen.ShownBox(area));
    const int t = next->ShownTransparentIndex();
    const std::size_t width = std::size_t(next->Width());
    const std::uint8_t* pixels = next->Pixels();
    auto drawnByNext = [&](int x, int y) {
        if (x < next->Left() || y < next->Top() || x >= next->Left() + next->Width() ||
            y >= next->Top() + next->Height())
            return false;
        return pixels[std::size_t(y - next->Top()) * width + std::size_t(x - next->Left())] != t;
    };
    TScreenRect box{area.Right, area.Bottom, area.Left, area.Top};
    for (int y = area.Top; y < area.Bottom; ++y) {
        const std::uint32_t* shown = screen.Row(y);
        for (int x = area.Left; x < area.Right; ++x)
            if (TScreenKeys::IsColor(shown[x]) && !drawnByNext(x, y))
                box = {std::min(box.Left, x), std::min(box.Top, y), std::max(box.Right, x + 1), y + 1};
    }
    return Union(DrawnBox(frame, area), box.IsEmpty() ? TScreenRect{} : box);
}

}  // namespace

std::optional<std::vector<TScreenRect>> MarkRepeatedPixels(TGIFImage& image)
{
    TGIFImageList& frames = image.Images();
    std::optional<TScreenKeys> screen;
    try {
        screen.emplace(image.Width(), image.Height(), image.Budget());
    } catch (const GIFException&) {
        return std::nullopt;
    }
    std::vector<TScreenRect> cleared(std::size_t(frames.Count()));
    for (int k = 0; k < frames.Count(); ++k) {
        TGIFSubImage& frame = *frames[k];
        if (frame.IsEmpty()) continue;
        const TFrameKeys keys = FrameKeys(image.ColorMapOf(frame));
        const TScreenRect area = screen->Area(frame);
        if (area.IsEmpty()) continue;
        const int disposal = frame.DisposalMethod();
        if (disposal == 3) screen->Save(area);
        TValueSets shown{};
        if (screen->ShownBox(area).IsEmpty()) {
            screen->Draw(frame, keys, area);
        } else if (MarkAndDraw(frame, keys, *screen, area, shown) && !frame.Transparent()) {
            // Pixels off the screen count too.
            const bool whole = area == TScreenRect{frame.Left(), frame.Top(), frame.Left() + frame.Width(),
                                                   frame.Top() + frame.Height()};
            if (!whole) shown = ValuesShown(frame.Pixels(), frame.PixelsSize(), frame.Wildcards());
            const int index = FreeIndex(image, frame, shown[0]);
            if (index >= 0)
                MakeTransparent(frame, index);
            else
                frame.ReleaseWildcards();
        }
        if (disposal == 3) {
            screen->Restore(area);
        } else if (disposal == 2) {
            const TGIFSubImage* next = k + 1 < frames.Count() ? frames[k + 1] : nullptr;
            const TScreenRect clear = AreaToClear(frame, next, *screen, area);
            cleared[std::size_t(k)] = clear;
            if (clear.IsEmpty())
                frame.GraphicControl()->SetDisposalMethod(0);
            else
                screen->Clear(clear);
        }
    }
    return cleared;
}

void UseLowestTransparentIndices(TGIFImage& image)
{
    TGIFGlobalColorMap& global = image.GlobalColorMap();
    std::bitset<256> globalUsed;
    for (auto& frame : image.Images()) {
        std::bitset<256> used;
        if (!frame->IsEmpty()) {
            const TValueSets shown = ValuesShown(frame->Pixels(), frame->PixelsSize(), frame->Wildcards());
            for (std::size_t i = 0; i < 256; ++i) used[i] = shown[0][i] || shown[1][i];
            if (frame->Transparent()) {
                // Pixels that are only wildcards may take the index too: a
                // wildcard written transparent shows what it would show.
                const int t = frame->TransparentIndex();
                int lowest = 0;
                while (lowest < t && shown[0][std::size_t(lowest)]) ++lowest;
                if (lowest < t) {
                    std::uint8_t* pixels = frame->Pixels();
                    for (std::size_t i = 0, n = frame->PixelsSize(); i < n; ++i)
                        if (pixels[i] == t) pixels[i] = std::uint8_t(lowest);
                    frame->GraphicControl()->SetTransparentIndex(lowest);
                    used[std::size_t(t)] = false;
                }
            }
        }
        if (frame->Transparent()) used[std::size_t(frame->TransparentIndex())] = true;
        TGIFColorMap& map = frame->ColorMap();
        if (map.EntryCount() > 0) {
            int count = map.EntryCount();
            while (count > 1 && !used[std::size_t(count - 1)]) --count;
            map.SetEntryCount(count);
        } else {
            globalUsed |= used;
        }
    }
    int count = global.EntryCount();
    while (count > 1 && !globalUsed[std::size_t(count - 1)]) --count;
    if (count < global.EntryCount()) {
        global.SetEntryCount(count);
        if (image.Header().BackgroundIndex >= count) image.Header().BackgroundIndex = 0;
    }
}
