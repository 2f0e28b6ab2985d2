#pragma once
// The types of a per-file optimizer call.

#include <cstdint>
#include <string>

using FileSize = std::int32_t;  // byte count; -1 when a size query fails
using ByteCount = std::int64_t;  // a file's exact size, as the run reports it
using Level = std::uint8_t;

// What an optimizer left as written in an output that is still correct (a
// page's scripts the script tool did not take): how many, and the first reason.
struct TShortfall {
    int count = 0;
    std::string reason;
    void Add(const std::string& why)
    {
        if (count++ == 0) reason = why;
    }
};
