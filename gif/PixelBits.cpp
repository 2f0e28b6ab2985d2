#include "gif/PixelBits.h"

#include <algorithm>

void SetBits(std::uint8_t* bits, std::size_t from, std::size_t to)
{
    while (from < to && (from & 7)) SetBit(bits, from++);
    if (to - from >= 8 && from < to) {
        std::memset(bits + (from >> 3), 0xFF, (to - from) >> 3);
        from += (to - from) & ~std::size_t(7);
    }
    while (from < to) SetBit(bits, from++);
}

void MoveBits(std::uint8_t* bits, std::size_t from, std::size_t to, std::size_t count)
{
    // Eight bits at a time, gathered into whole bytes of the target.
    std::size_t done = 0;
    while (done < count && ((to + done) & 7)) {
        const bool on = TestBit(bits, from + done);
        std::uint8_t& byte = bits[(to + done) >> 3];
        const std::uint8_t mask = std::uint8_t(1u << ((to + done) & 7));
        byte = on ? std::uint8_t(byte | mask) : std::uint8_t(byte & ~mask);
        ++done;
    }
    for (; done + 8 <= count; done += 8) bits[(to + done) >> 3] = std::uint8_t(BitsAt(bits, from + done, from + count));
    for (; done < count; ++done) {
        const bool on = TestBit(bits, from + done);
        std::uint8_t& byte = bits[(to + done) >> 3];
        const std::uint8_t mask = std::uint8_t(1u << ((to + done) & 7));
        byte = on ? std::uint8_t(byte | mask) : std::uint8_t(byte & ~mask);
    }
}

unsigned BitsAt(const std::uint8_t* bits, std::size_t at, std::size_t count)
{
    const std::size_t end = at + 8 < count ? at + 8 : count;
    unsigned value = 0;
    if (at >= end) return 0;
    const std::size_t first = at >> 3, last = (end - 1) >> 3;
    value = bits[first] >> (at & 7);
    if (last != first) value |= unsigned(bits[last]) << (8 - (at & 7));
    return value & ((1u << (end - at)) - 1);
}

unsigned OrOfBytes(const std::uint8_t* bytes, std::size_t count)
{
    std::uint64_t all = 0;
    std::size_t i = 0;
    for (; i + 8 <= count; i += 8) {
        std::uint64_t word;
        std::memcpy(&word, bytes + i, 8);
        all |= word;
    }
    for (; i < count; ++i) all |= bytes[i];
    all |= all >> 32;
    all |= all >> 16;
    all |= all >> 8;
    return unsigned(all & 0xFF);
}

TValueSets ValuesShown(const std::uint8_t* pixels, std::size_t count, const std::uint8_t* skip)
{
    // Plain stores, no branches.
    TValueSets seen{};
    if (!skip) {
        for (std::size_t i = 0; i < count; ++i) seen[0][pixels[i]] = true;
        return seen;
    }
    std::size_t i = 0;
    for (; i + 8 <= count; i += 8) {
        const unsigned marks = skip[i >> 3];
        for (unsigned b = 0; b < 8; ++b) seen[(marks >> b) & 1][pixels[i + b]] = true;
    }
    for (; i < count; ++i) seen[TestBit(skip, i)][pixels[i]] = true;
    return seen;
}
