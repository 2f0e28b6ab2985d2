#pragma once
// --shard K/N: the part of a run's list that one of N machines optimizes.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/core/RunPlan.h"

struct TShard {
    int index = 1;  // K, from 1
    int count = 1;  // N
};

constexpr int kMaxShards = 100000;

// "K/N" with 1 <= K <= N <= kMaxShards; nothing for any other text.
std::optional<TShard> ParseShard(const std::string& text);

// FNV-1a, 64 bits: the same on every machine and every build.
std::uint64_t Fnv1a64(std::string_view bytes);

// The entries whose place below the output folder (the relative destination,
// else the file name) hashes into the shard: hash % N == K - 1. Every entry
// is in exactly one of the N shards, whatever machine computes them.
std::vector<TListEntry> ShardEntries(const std::vector<TListEntry>& entries, const TShard& shard);
