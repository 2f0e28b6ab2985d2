#include "gif/FrameMerge.h"

#include "gif/ScreenMerge.h"
#include "gif/TransparentIndex.h"

namespace {

// Colors of a map as comparable keys; indices past the map get keys that
// match nothing (distinct per map through `tag`).
std::array<std::uint32_t, 256> ColorKeys(const TGIFColorMap& map, std::uint32_t tag)
{
    std::array<std::uint32_t, 256> keys{};
    for (int i = 0; i < 256; ++i) keys[std::size_t(i)] = i < map.EntryCount() ? map.Color(i) : tag | std::uint32_t(i);
    return keys;
}

}  // namespace

void MergeWithPrevious(TGIFImage& image, TGIFSubImage& current, TGIFSubImage* previous)
{
    if (current.IsEmpty() || !previous || previous->IsEmpty()) return;
    const int previousDisposal = previous->DisposalMethod();
    if (previousDisposal == 2 || previousDisposal == 3) return;
    const TScreenRect area = Intersection(FrameRect(current), FrameRect(*previous));
    if (area.IsEmpty()) return;

    const bool wasTransparent = current.Transparent();
    int tc = -1;
    bool needed = false;
    if (wasTransparent)
        tc = current.TransparentIndex();
    else if (!CanAddTransparentIndex(image, current))
        return;
    else
        needed = true;
    const int tp = previous->ShownTransparentIndex();

    const TGIFColorMap& currentMap = image.ColorMapOf(current);
    const TGIFColorMap& previousMap = image.ColorMapOf(*previous);
    const bool sameMap = &currentMap == &previousMap;
    const auto currentKeys = ColorKeys(currentMap, 0x01000000);
    const auto previousKeys = ColorKeys(previousMap, 0x02000000);
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
                tc = ChooseTransparentIndex(image, current);
                needed = false;
            }
            current.SetWildcard(std::size_t(crow + x - cp));
        }
    }
    if (!wasTransparent && tc >= 0) {
        TGIFGraphicControlExtension& control = current.EnsureGraphicControl();
        control.SetTransparentFlag(true);
        control.SetTransparentIndex(tc);
    }
}

std::optional<std::vector<TScreenRect>> MergeFrames(TGIFImage& image)
{
    TGIFImageList& frames = image.Images();
    const int count = frames.Count();
    std::optional<std::vector<TScreenRect>> cleared;
    if (count > 1) cleared = MarkRepeatedPixels(image);
    if (!cleared) {
        for (int k = count - 1; k >= 1; --k) {
            int p = k - 1;
            while (p > 0 && frames[p]->DisposalMethod() == 3) --p;
            MergeWithPrevious(image, *frames[k], frames[p]);
        }
    }
    return cleared;
}
