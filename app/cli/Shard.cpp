#include "app/cli/Shard.h"

#include <charconv>

namespace {

// Where the entry lands below the output folder, '/'-separated.
std::string_view Placement(const TListEntry& entry)
{
    if (!entry.relative.empty()) return entry.relative;
    const std::string_view source = entry.source;
    return source.substr(source.rfind('/') + 1);
}

}  // namespace

std::optional<TShard> ParseShard(const std::string& text)
{
    const auto number = [](std::string_view digits, int& value) {
        const char* end = digits.data() + digits.size();
        const auto [stop, error] = std::from_chars(digits.data(), end, value);
        return !digits.empty() && error == std::errc() && stop == end;
    };
    const std::string_view all = text;
    const std::size_t slash = all.find('/');
    TShard shard;
    if (slash == std::string_view::npos || !number(all.substr(0, slash), shard.index) ||
        !number(all.substr(slash + 1), shard.count) || shard.index < 1 || shard.index > shard.count ||
        shard.count > kMaxShards)
        return std::nullopt;
    return shard;
}

std::uint64_t Fnv1a64(std::string_view bytes)
{
    std::uint64_t hash = 0xcbf29ce484222325ULL;
    for (const char c : bytes) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 0x100000001b3ULL;
    }
    return hash;
}

std::vector<TListEntry> ShardEntries(const std::vector<TListEntry>& entries, const TShard& shard)
{
    std::vector<TListEntry> kept;
    for (const TListEntry& entry : entries)
        if (Fnv1a64(Placement(entry)) % static_cast<std::uint64_t>(shard.count) ==
            static_cast<std::uint64_t>(shard.index - 1))
            kept.push_back(entry);
    return kept;
}
