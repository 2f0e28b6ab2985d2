#include "gif/WildcardRuns.h"

#include <algorithm>
#include <bit>

#include "gif/PixelBits.h"

std::vector<int> GIFRowOrder(int height, bool interlaced)
{
    std::vector<int> rows;
    rows.reserve(std::size_t(height > 0 ? height : 0));
    if (!interlaced) {
        for (int y = 0; y < height; ++y) rows.push_back(y);
        return rows;
    }
    static constexpr int start[4] = {0, 4, 2, 1}, step[4] = {8, 8, 4, 2};
    for (int pass = 0; pass < 4; ++pass)
        for (int y = start[pass]; y < height; y += step[pass]) rows.push_back(y);
    return rows;
}

TTransparentRuns TransparentWildcards(const std::uint8_t* pixels, const std::uint8_t* wildcards, int width, int height,
                                      bool interlaced, int transparentIndex)
{
    TTransparentRuns runs;
    std::vector<std::uint8_t>& marks = runs.Marks;
    if (!pixels || !wildcards || width <= 0 || height <= 0) return runs;
    const std::vector<int> rows = GIFRowOrder(height, interlaced);
    const std::size_t w = std::size_t(width);
    // The run so far: from (rows[startRow], startX) in written order.
    std::size_t startRow = 0, startX = 0, length = 0;
    // Marks the run that ends before (rows[endRow], endX).
    auto mark = [&](std::size_t endRow, std::size_t endX) {
        if (marks.empty()) marks.assign((w * rows.size() + 7) / 8, 0);
        for (std::size_t r = startRow; r <= endRow && r < rows.size(); ++r) {
            const std::size_t base = std::size_t(rows[r]) * w;
            SetBits(marks.data(), base + (r == startRow ? startX : 0), base + (r == endRow ? endX : w));
        }
    };
    const std::size_t total = w * std::size_t(height);
    for (std::size_t r = 0; r < rows.size(); ++r) {
        const std::size_t base = std::size_t(rows[r]) * w;
        const std::uint8_t* row = pixels + base;
        // Eight pixels at a time: which are clear (wildcards or transparent).
        for (std::size_t x = 0; x < w; x += 8) {
            const std::size_t n = std::min<std::size_t>(8, w - x);
            const unsigned wild = BitsAt(wildcards, base + x, total) & ((1u << n) - 1);
            unsigned transparent = 0;
            for (std::size_t b = 0; b < n; ++b) transparent |= unsigned(row[x + b] == transparentIndex) << b;
            runs.TransparentShown = runs.TransparentShown || (transparent & ~wild);
            const unsigned clear = wild | transparent;
            const unsigned all = (1u << n) - 1;
            if (clear == all) {
                if (length == 0) startRow = r, startX = x;
                length += n;
                continue;
            }
            // The run so far goes on through the first clear pixels and ends
            // at the first that is not; a run inside these eight is too short
            // to count; the last clear ones begin a new run.
            const unsigned lead = unsigned(std::countr_one(clear));
            length += lead;
            if (length >= kTransparentRun) mark(r, x + lead);
            const unsigned trail = unsigned(std::countl_one(clear << (32 - n)));
            length = trail;
            startRow = r;
            startX = x + n - trail;
        }
    }
    if (length >= kTransparentRun) mark(rows.size() - 1, w);
    return runs;
}
