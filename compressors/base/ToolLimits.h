#pragma once
// What a plug-in may take: wall time and address space.

#include <cstdint>

constexpr int kDefaultToolTimeoutSeconds = 600;

// A quarter of the machine's physical memory, in bytes (0 when unknown).
std::uint64_t DefaultToolMemoryBytes();

struct TToolLimits {
    int timeoutSeconds = kDefaultToolTimeoutSeconds;       // 0: no time limit
    std::uint64_t memoryBytes = DefaultToolMemoryBytes();  // RLIMIT_AS of each plug-in; 0: none
};
