#pragma once
// The types of a per-file optimizer call.

#include <cstdint>

using FileSize = std::int32_t;  // byte count; -1 when a size query fails
using Level = std::uint8_t;
