#include "compressors/text/CssStringIndex.h"

#include <cstring>

#include <xxhash.h>

namespace {

std::uint32_t Hash(const char* data, std::size_t length)
{
    const XXH64_hash_t h = XXH3_64bits(data, length);
    return static_cast<std::uint32_t>(h ^ (h >> 32));
}

}  // namespace

std::uint32_t CssStringIndex::Intern(std::uint32_t offset, std::uint32_t length)
{
    if ((entries_.size() + 1) * 2 > slots_.size()) Grow();
    const char* data = text_.data() + offset;
    const std::uint32_t hash = Hash(data, length);
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t slot = hash & mask;; slot = (slot + 1) & mask) {
        const std::uint32_t id = slots_[slot];
        if (id == 0) {
            slots_[slot] = static_cast<std::uint32_t>(entries_.size() + 1);
            entries_.push_back({offset, length, hash});
            return static_cast<std::uint32_t>(entries_.size() - 1);
        }
        const Entry& entry = entries_[id - 1];
        if (entry.hash == hash && entry.length == length && std::memcmp(text_.data() + entry.offset, data, length) == 0)
            return id - 1;
    }
}

void CssStringIndex::Grow()
{
    std::vector<std::uint32_t> slots(slots_.empty() ? 64 : slots_.size() * 2, 0);
    const std::size_t mask = slots.size() - 1;
    for (std::uint32_t id = 0; id < entries_.size(); ++id) {
        std::size_t slot = entries_[id].hash & mask;
        while (slots[slot] != 0) slot = (slot + 1) & mask;
        slots[slot] = id + 1;
    }
    slots_ = std::move(slots);
}
