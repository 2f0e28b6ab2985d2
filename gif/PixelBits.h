#pragma once
// One bit per pixel, least significant bit first: the wildcard and
// transparency marks of a frame, and quick scans over pixel bytes.
#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>

inline bool TestBit(const std::uint8_t* bits, std::size_t at)
{
    return (bits[at >> 3] >> (at & 7)) & 1;
}

inline void SetBit(std::uint8_t* bits, std::size_t at)
{
    bits[at >> 3] |= std::uint8_t(1u << (at & 7));
}

// Sets bits [from, to).
void SetBits(std::uint8_t* bits, std::size_t from, std::size_t to);

// Bits [at, at + 8) of a set of `count` bits (those past the end as 0), the
// first as the lowest.
unsigned BitsAt(const std::uint8_t* bits, std::size_t at, std::size_t count);

// Copies bits [from, from + count) to [to, to + count), to <= from (the
// ranges may overlap).
void MoveBits(std::uint8_t* bits, std::size_t from, std::size_t to, std::size_t count);

// All bytes or'ed together.
unsigned OrOfBytes(const std::uint8_t* bytes, std::size_t count);

// Which values the pixels show: [0] those not marked in `skip` (null: none),
// [1] those marked.
using TValueSets = std::array<std::array<bool, 256>, 2>;
TValueSets ValuesShown(const std::uint8_t* pixels, std::size_t count, const std::uint8_t* skip);

// Pixel counts per value, added to `counts`.
template <typename TCount>
void CountValues(const std::uint8_t* pixels, std::size_t count, std::array<TCount, 256>& counts)
{
    // Four tallies, so that runs of one value do not wait on one counter.
    std::array<std::array<std::uint32_t, 256>, 4> tallies{};
    std::size_t i = 0;
    while (i < count) {
        // Chunks small enough that no tally overflows.
        const std::size_t end = i + std::min<std::size_t>(count - i, std::size_t(1) << 30);
        for (; i + 4 <= end; i += 4) {
            ++tallies[0][pixels[i]];
            ++tallies[1][pixels[i + 1]];
            ++tallies[2][pixels[i + 2]];
            ++tallies[3][pixels[i + 3]];
        }
        for (; i < end; ++i) ++tallies[0][pixels[i]];
        for (std::size_t v = 0; v < 256; ++v) {
            counts[v] += TCount(std::uint64_t(tallies[0][v]) + tallies[1][v] + tallies[2][v] + tallies[3][v]);
            tallies[0][v] = tallies[1][v] = tallies[2][v] = tallies[3][v] = 0;
        }
    }
}
