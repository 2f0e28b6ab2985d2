#include "gif/ColorMapSort.h"

#include <algorithm>
#include <array>


namespace {

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

}  // namespace

bool SortByUsage(TGIFImage& image, TGIFColorMap& map)
{
    const bool global = &map == &image.GlobalColorMap();
    const int count = map.EntryCount();
    if (count <= 1 || (global && image.Empty())) return false;
    map.SetSorted(true);
    std::vector<TGIFSubImage*> users;
    for (auto& frame : image.Images())
        if (&image.ColorMapOf(*frame) == &map) users.push_back(frame.get());

    TGIFUsage usage;
    for (int i = 0; i < 256; ++i) usage[std::size_t(i)] = {0, i};
    for (TGIFSubImage* frame : users) frame->CountPixelUsage(usage);
    std::stable_sort(usage.begin(), usage.begin() + count,
                     [](const TGIFUsageRecord& a, const TGIFUsageRecord& b) { return a.Count > b.Count; });
    bool moved = false;
    for (int i = 0; i < count; ++i) moved = moved || usage[std::size_t(i)].Index != i;
    if (!moved) return true;

    TGIFTranslation translation;
    for (int i = 0; i < 256; ++i) translation[std::size_t(i)] = std::uint8_t(i);
    for (int position = 0; position < count; ++position)
        translation[std::size_t(usage[std::size_t(position)].Index)] = std::uint8_t(position);
    for (TGIFSubImage* frame : users) frame->RemapPixels(translation);
    // The background color moves with its entry.
    std::uint8_t& background = image.Header().BackgroundIndex;
    if (global && background < count) background = translation[background];

    const std::vector<TGIFColor> old = [&] {
        std::vector<TGIFColor> colors;
        for (int i = 0; i < count; ++i) colors.push_back(map.Color(i));
        return colors;
    }();
    int used = count;
    for (int position = 0; position < count; ++position) {
        const TGIFUsageRecord& record = usage[std::size_t(position)];
        map.SetColor(position, old[std::size_t(record.Index)]);
        if (record.Count == 0 && used == count) used = position;
    }
    map.SetEntryCount(used);
    return true;
}

void SortColorMaps(TGIFImage& image)
{
    if (image.GlobalColorMap().EntryCount() > 0 && SortByUsage(image, image.GlobalColorMap()))
        KeepBackgroundInTable(image);
    for (auto& frame : image.Images())
        if (frame->ColorMap().EntryCount() > 0) SortByUsage(image, frame->ColorMap());
}
