#include "gif/WildcardRuns.h"

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

std::vector<std::uint8_t> TransparentWildcards(const std::uint8_t* pixels, const std::uint8_t* wildcards, int width,
                                               int height, bool interlaced, int transparentIndex)
{
    std::vector<std::uint8_t> marks;
    if (!pixels || !wildcards || width <= 0 || height <= 0) return marks;
    const std::vector<int> rows = GIFRowOrder(height, interlaced);
    const std::size_t w = std::size_t(width);
    auto wild = [&](std::size_t at) { return (wildcards[at >> 3] >> (at & 7)) & 1; };
    auto at = [&](std::size_t n) { return std::size_t(rows[n / w]) * w + n % w; };
    // Marks the wildcards of pixels [from, to) in written order.
    auto mark = [&](std::size_t from, std::size_t to) {
        if (marks.empty()) marks.assign((w * rows.size() + 7) / 8, 0);
        for (std::size_t n = from; n < to; ++n) {
            const std::size_t i = at(n);
            if (wild(i)) marks[i >> 3] |= std::uint8_t(1u << (i & 7));
        }
    };
    std::size_t runStart = 0, n = 0;
    bool inRun = false;
    for (int row : rows) {
        const std::size_t base = std::size_t(row) * w;
        for (std::size_t x = 0; x < w; ++x, ++n) {
            const std::size_t i = base + x;
            const bool clear = wild(i) || pixels[i] == transparentIndex;
            if (clear && !inRun) {
                runStart = n;
                inRun = true;
            } else if (!clear && inRun) {
                if (n - runStart >= kTransparentRun) mark(runStart, n);
                inRun = false;
            }
        }
    }
    if (inRun && n - runStart >= kTransparentRun) mark(runStart, n);
    return marks;
}
