#pragma once
// PlainCopy's chunking, visible to tests.

#include <cstddef>
#include <functional>

constexpr std::size_t kCopyChunkSize = 40096;

// Called with the length of every chunk PlainCopy writes; empty by default.
using CopyChunkObserver = std::function<void(std::size_t bytes)>;
void SetCopyChunkObserver(CopyChunkObserver observer);
