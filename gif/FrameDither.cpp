#include "gif/FrameDither.h"

#include <algorithm>

std::uint64_t DitheredDrawingBytes(int width, int height)
{
    auto rowBytes = [](int w, std::size_t bitsPerPixel, std::size_t align) {
        const std::size_t bits = std::size_t(w) * bitsPerPixel, alignBits = align * 8;
        return (bits + alignBits - 1) / alignBits * align;
    };
    return rowBytes(width, 8, 4) * std::uint64_t(height) + rowBytes(width, 1, 2) * std::uint64_t(height);
}

std::vector<std::uint8_t> DitherToWebSafe(const TGIFSubImage& frame, const TGIFColorMap& map)
{
    const int w = frame.Width(), h = frame.Height();
    std::vector<std::uint8_t> result(std::size_t(w) * std::size_t(h));
    const int t = frame.ShownTransparentIndex();
    // Error rows in sixteenths, with one guard slot at each end.
    std::vector<int> current(3 * std::size_t(w + 2)), next(3 * std::size_t(w + 2));
    const std::uint8_t* pixels = frame.Pixels();
    for (int y = 0; y < h; ++y) {
        std::uint8_t* out = result.data() + std::size_t(y) * std::size_t(w);
        const std::uint8_t* from = pixels + std::size_t(y) * std::size_t(w);
        const bool forward = y % 2 == 0;
        std::fill(next.begin(), next.end(), 0);
        for (int step = 0; step < w; ++step) {
            const int x = forward ? step : w - 1 - step;
            const int dir = forward ? 1 : -1;
            if (from[x] == t) {
                out[x] = 0;
                continue;
            }
            const TGIFColor color = from[x] < map.EntryCount() ? map.Color(from[x]) : 0;
            int channel[3] = {int(color & 0xFF), int((color >> 8) & 0xFF), int((color >> 16) & 0xFF)};
            int level[3];
            for (int c = 0; c < 3; ++c) {
                const int accumulated = current[3 * std::size_t(x + 1) + std::size_t(c)];
                channel[c] = std::clamp(channel[c] + (accumulated + 8) / 16, 0, 255);
                level[c] = (channel[c] + 3) / 51;
            }
            out[x] = std::uint8_t(36 * level[0] + 6 * level[1] + level[2]);
            for (int c = 0; c < 3; ++c) {
                const int error = channel[c] - 51 * level[c];
                const std::size_t slot = std::size_t(c);
                current[3 * std::size_t(x + 1 + dir) + slot] += error * 7;
                next[3 * std::size_t(x + 1 - dir) + slot] += error * 3;
                next[3 * std::size_t(x + 1) + slot] += error * 5;
                next[3 * std::size_t(x + 1 + dir) + slot] += error;
            }
        }
        current.swap(next);
    }
    return result;
}
