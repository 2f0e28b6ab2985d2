#pragma once
// A tool's failure in one line of words that name no work file or tool
// internals.

#include <cstdint>
#include <string>

// "<tool> failed: <reason>", "<tool> ran out of memory on a picture of W x H
// pixels", "<tool> stopped on an internal error"; `status` is the tool's
// exit status or 128 + a signal.
std::string ToolFailure(const std::string& tool, const std::string& messages, int status, std::uint32_t width,
                        std::uint32_t height);
