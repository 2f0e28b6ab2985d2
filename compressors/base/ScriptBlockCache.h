#pragma once
// The script tool's results on inline script bodies, kept for one run:
// generated pages often carry the same script on every page, which then goes
// through the tool once. Only results the tool gave are kept (a failure is
// tried again on the next page). Safe to share between threads; two pages
// asking for one new body at the same moment both run the tool.

#include <cstddef>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

#include "compressors/base/OptimizerTypes.h"

class TScriptBlockCache {
public:
    std::optional<std::string> Find(Level level, std::string_view body) const;
    // Keeps the result unless the cache already holds its limit of bytes.
    void Keep(Level level, std::string_view body, std::string result);

private:
    static constexpr std::size_t byteLimit = 32u << 20;
    static std::string Key(Level level, std::string_view body);

    mutable std::mutex mutex_;
    std::unordered_map<std::string, std::string> results_;
    std::size_t bytes_ = 0;
};
