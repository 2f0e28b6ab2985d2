#include "gif/ColorMapOptimizer.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <limits>

#include "gif/PixelBits.h"

namespace {

bool ByCountDescending(const THistogramEntry* a, const THistogramEntry* b)
{
    return a->Count > b->Count;
}

bool ByKeyDescending(const THistogramEntry* a, const THistogramEntry* b)
{
    return a->Key > b->Key;
}

}  // namespace

int ColorMapDistance(std::uint32_t a, std::uint32_t b)
{
    return std::abs(int(a & 0xFF) - int(b & 0xFF)) + std::abs(int((a >> 8) & 0xFF) - int((b >> 8) & 0xFF)) +
           std::abs(int((a >> 16) & 0xFF) - int((b >> 16) & 0xFF));
}

// Histogram -----------------------------------------------------------------

THistogram::THistogram(const TGIFColorMap& map) : fCount(map.EntryCount())
{
    fEntries.resize(std::size_t(fCount));
    fList.reserve(std::size_t(fCount));
    for (int i = 0; i < fCount; ++i) {
        THistogramEntry& entry = fEntries[std::size_t(i)];
        entry.SourceIndex = i;
        entry.Key = map.Color(i);
        fList.push_back(&entry);
    }
}

bool THistogram::CountFrame(TGIFSubImage& frame)
{
    const bool transparent = frame.Transparent();
    const int transparentIndex = transparent ? frame.TransparentIndex() : -1;
    // One pass of plain counting; pixels past the table are rare and fixed afterwards.
    std::array<std::uint64_t, 256> counts{};
    std::uint8_t* pixels = frame.Pixels();
    const std::size_t n = frame.PixelsSize();
    CountValues(pixels, n, counts);
    const bool sawTransparent = transparentIndex >= 0 && counts[std::size_t(transparentIndex)] > 0;
    if (transparentIndex >= 0) counts[std::size_t(transparentIndex)] = 0;
    bool outside = false;
    for (int index = fCount; index < 256; ++index) outside = outside || counts[std::size_t(index)] > 0;
    if (outside) {
        for (std::size_t i = 0; i < n; ++i)
            if (pixels[i] >= fCount && pixels[i] != transparentIndex) {
                counts[0] += 1;
                pixels[i] = 0;
            }
    }
    for (int index = 0; index < fCount; ++index) {
        std::int32_t& count = fEntries[std::size_t(index)].Count;
        count = std::int32_t(std::min<std::uint64_t>(std::uint64_t(count) + counts[std::size_t(index)],
                                                     std::numeric_limits<std::int32_t>::max()));
    }
    if (transparent && !sawTransparent) {
        frame.GraphicControl()->SetTransparentIndex(0);
        frame.GraphicControl()->SetTransparentFlag(false);
    }
    TCountedFrame counted{&frame, {}, sawTransparent};
    for (int index = 0; index < fCount; ++index) counted.Used[std::size_t(index)] = counts[std::size_t(index)] > 0;
    fFrames.push_back(counted);
    return sawTransparent;
}

int THistogram::Prune()
{
    std::stable_sort(fList.begin(), fList.end(), ByCountDescending);
    auto firstUnused = std::find_if(fList.begin(), fList.end(), [](const THistogramEntry* e) { return e->Count == 0; });
    for (auto it = firstUnused; it != fList.end(); ++it) (*it)->Count = -1;
    fList.erase(firstUnused, fList.end());
    fCount = int(fList.size());
    return fCount;
}

void THistogram::RemapFrames(bool useTransparency, std::uint8_t newTransparentIndex)
{
    TGIFTranslation translation{};
    for (const THistogramEntry* entry : fList)
        translation[std::size_t(entry->SourceIndex)] = std::uint8_t(entry->NewIndex);
    for (const TCountedFrame& counted : fFrames) {
        bool exact = true;
        for (int index = 0; index < fCount && exact; ++index)
            exact = !counted.Used[std::size_t(index)] || fEntries[std::size_t(index)].Exact;
        if (!exact) {
            RemapToLocalTable(counted);
            continue;
        }
        TGIFSubImage* frame = counted.Frame;
        TGIFTranslation table = translation;
        if (frame->Transparent() && useTransparency) {
            table[std::size_t(frame->TransparentIndex())] = newTransparentIndex;
            frame->GraphicControl()->StoreTransparentIndex(newTransparentIndex);
        }
        std::uint8_t* pixels = frame->Pixels();
        for (std::size_t i = 0, n = frame->PixelsSize(); i < n; ++i) pixels[i] = table[pixels[i]];
    }
}

// The frame's own colors, most used first (equal colors once), then the
// transparent entry when it shows transparent pixels.
void THistogram::RemapToLocalTable(const TCountedFrame& counted)
{
    TGIFSubImage& frame = *counted.Frame;
    TGIFTranslation table{};
    std::vector<std::uint32_t> colors;
    for (const THistogramEntry* entry : fList) {
        if (!counted.Used[std::size_t(entry->SourceIndex)]) continue;
        auto at = std::find(colors.begin(), colors.end(), entry->Key);
        if (at == colors.end()) at = colors.insert(colors.end(), entry->Key);
        table[std::size_t(entry->SourceIndex)] = std::uint8_t(at - colors.begin());
    }
    const bool transparent = frame.Transparent() && counted.SawTransparent;
    if (transparent) {
        table[std::size_t(frame.TransparentIndex())] = std::uint8_t(colors.size());
        frame.GraphicControl()->StoreTransparentIndex(std::uint8_t(colors.size()));
        colors.push_back(0);
    }
    std::vector<std::uint8_t> triples;
    for (std::uint32_t key : colors)
        triples.insert(triples.end(), {std::uint8_t(key), std::uint8_t(key >> 8), std::uint8_t(key >> 16)});
    frame.ColorMap().SetTable(triples.data(), int(colors.size()));
    std::uint8_t* pixels = frame.Pixels();
    for (std::size_t i = 0, n = frame.PixelsSize(); i < n; ++i) pixels[i] = table[pixels[i]];
}

// Optimizer -----------------------------------------------------------------

void TColorMapOptimizer::RunMerge()
{
    const TGIFGlobalColorMap& global = fImage.GlobalColorMap();
    const int background = fImage.Header().BackgroundIndex;
    const bool hasBackground = background < global.EntryCount();
    const TGIFColor backgroundColor = hasBackground ? global.Color(background) : 0;
    BuildHistograms();
    if (!fHistograms.empty()) {
        std::size_t total = 0;
        for (auto& histogram : fHistograms) total += std::size_t(histogram->Prune());
        fCombined.clear();
        fCombined.reserve(total);
        for (auto& histogram : fHistograms)
            fCombined.insert(fCombined.end(), histogram->List().begin(), histogram->List().end());
        // A fully transparent image leaves nothing to merge: the shared table
        // then holds only the transparent entry.
        if (!fCombined.empty()) MergeDuplicates();
        BuildColorTable();
        ApplyColorTable();
        for (auto& histogram : fHistograms) histogram->RemapFrames(fUseTransparency, fNewTransparentIndex);
        const int index = hasBackground ? global.IndexOfColor(backgroundColor) : -1;
        fImage.Header().BackgroundIndex = std::uint8_t(index >= 0         ? index
                                                       : fUseTransparency ? fNewTransparentIndex
                                                                          : 0);
    }
}

void TColorMapOptimizer::BuildHistograms()
{
    fUseTransparency = false;
    fHistograms.clear();
    TGIFGlobalColorMap& global = fImage.GlobalColorMap();
    if (global.EntryCount() > 0) {
        auto histogram = std::make_unique<THistogram>(global);
        bool counted = false;
        for (auto& frame : fImage.Images()) {
            if (frame->ColorMap().EntryCount() == 0 && !frame->IsEmpty()) {
                counted = true;
                if (histogram->CountFrame(*frame)) fUseTransparency = true;
            }
        }
        if (counted) fHistograms.push_back(std::move(histogram));
    }
    for (auto& frame : fImage.Images()) {
        if (frame->ColorMap().EntryCount() == 0 || frame->IsEmpty()) continue;
        auto histogram = std::make_unique<THistogram>(frame->ColorMap());
        if (histogram->CountFrame(*frame)) fUseTransparency = true;
        fHistograms.push_back(std::move(histogram));
    }
}

void TColorMapOptimizer::MergeDuplicates()
{
    if (fCombined.empty()) return;
    std::stable_sort(fCombined.begin(), fCombined.end(), ByKeyDescending);
    THistogramEntry* master = fCombined.front();
    for (std::size_t i = 1; i < fCombined.size(); ++i) {
        THistogramEntry* entry = fCombined[i];
        if (entry->Key == master->Key) {
            master->Count += entry->Count;
            entry->Count = 0;
            entry->Master = master;
        } else {
            master = entry;
        }
    }
}

void TColorMapOptimizer::BuildColorTable()
{
    std::stable_sort(fCombined.begin(), fCombined.end(), ByCountDescending);
    const std::size_t limit = fUseTransparency ? 255 : 256;
    std::size_t kept = 0;
    while (kept < fCombined.size() && kept < limit && fCombined[kept]->Count != 0) ++kept;
    for (std::size_t i = 0; i < kept; ++i) {
        THistogramEntry* entry = fCombined[i];
        entry->NewIndex = int(i);
        entry->Exact = true;
        fTable[3 * i] = std::uint8_t(entry->Key);
        fTable[3 * i + 1] = std::uint8_t(entry->Key >> 8);
        fTable[3 * i + 2] = std::uint8_t(entry->Key >> 16);
    }
    for (std::size_t i = kept; i < fCombined.size(); ++i) {
        THistogramEntry* entry = fCombined[i];
        if (entry->Count > 0) {
            int best = 765;
            std::size_t bestIndex = 0;
            for (std::size_t k = 0; k < kept; ++k) {
                const int distance = ColorMapDistance(entry->Key, fCombined[k]->Key);
                if (distance < best) {
                    best = distance;
                    bestIndex = k;
                }
            }
            entry->NewIndex = kept > 0 ? fCombined[bestIndex]->NewIndex : 0;
        } else if (entry->Master) {
            entry->NewIndex = entry->Master->NewIndex;
            entry->Exact = entry->Master->Exact;
        }
    }
    fFinalCount = int(kept);
    if (fUseTransparency) {
        fNewTransparentIndex = std::uint8_t(fFinalCount);
        fTable[3 * fFinalCount] = fTable[3 * fFinalCount + 1] = fTable[3 * fFinalCount + 2] = 0;
        ++fFinalCount;
    }
}

void TColorMapOptimizer::ApplyColorTable()
{
    for (auto& frame : fImage.Images()) frame->ColorMap().ResetColors();
    TGIFGlobalColorMap& global = fImage.GlobalColorMap();
    global.SetTable(fTable, fFinalCount);
    global.SetSorted(true);
}

void OptimizeColorMaps(TGIFImage& image)
{
    TColorMapOptimizer optimizer(image);
    optimizer.RunMerge();
}
