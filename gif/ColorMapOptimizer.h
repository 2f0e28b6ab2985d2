#pragma once
// Merges all color tables of an image into one shared global table of the
// most used colors.

#include <bitset>
#include <cstdint>
#include <memory>
#include <vector>

#include "gif/GIFImage.h"

struct THistogramEntry {
    std::int32_t Count = 0;             // pixels of this color; -1 once pruned
    std::int32_t SourceIndex = 0;       // index in its own table
    std::int32_t NewIndex = 256;        // index in the shared table
    std::uint32_t Key = 0;              // red + 256 green + 65536 blue
    THistogramEntry* Master = nullptr;  // the entry that absorbed this one
    bool Exact = false;                 // the shared table holds this very color
};

// Color use of one color table over the frames counted into it.
class THistogram {
public:
    explicit THistogram(const TGIFColorMap& map);

    // Counts the frame's pixels (transparent ones excluded); returns whether a
    // transparent pixel was seen. A transparent frame without one loses its
    // transparency; pixels past the table become 0.
    bool CountFrame(TGIFSubImage& frame);
    // Drops unused colors; the list is left ordered by use, highest first.
    int Prune();
    // Rewrites the counted frames' pixels (and transparent indices) into the
    // shared table. A frame showing a color the shared table does not hold
    // gets a local table of exactly its own colors instead, so that no pixel
    // changes its color.
    void RemapFrames(bool useTransparency, std::uint8_t newTransparentIndex);

    const std::vector<THistogramEntry*>& List() const { return fList; }

private:
    struct TCountedFrame {
        TGIFSubImage* Frame;
        std::bitset<256> Used;  // source indices shown by the frame
        bool SawTransparent;
    };
    void RemapToLocalTable(const TCountedFrame& counted);

    std::vector<THistogramEntry> fEntries;
    int fCount;
    std::vector<THistogramEntry*> fList;
    std::vector<TCountedFrame> fFrames;
};

class TColorMapOptimizer {
public:
    explicit TColorMapOptimizer(TGIFImage& image) : fImage(image) {}

    void RunMerge();
    void BuildHistograms();
    // Equal colors of different tables become one entry (the master).
    void MergeDuplicates();
    // Keeps the most used colors (exact); every other one maps to the nearest
    // kept one (for frames that keep a local table instead, see RemapFrames).
    void BuildColorTable();
    // Empties the local tables and installs the shared table as the global one.
    void ApplyColorTable();

private:
    TGIFImage& fImage;
    std::vector<std::unique_ptr<THistogram>> fHistograms;
    std::vector<THistogramEntry*> fCombined;
    std::uint8_t fTable[256 * 3] = {};
    int fFinalCount = 0;
    bool fUseTransparency = false;
    std::uint8_t fNewTransparentIndex = 0;
};

// Replaces all color tables of the image by one shared, sorted global table:
// every local table is emptied and the pixels are rewritten to match. When
// the colors do not all fit one table, the frames that show colors beyond it
// keep a local table of their own colors. The background index follows its
// color (the transparent index, or 0, when the color is gone).
void OptimizeColorMaps(TGIFImage& image);

// Distance between two colors for mapping a color that did not fit:
// |r - r'| + |g - g'| + |b - b'|.
int ColorMapDistance(std::uint32_t a, std::uint32_t b);
