#include "compressors/base/ScriptBlockCache.h"

#include <utility>

std::string TScriptBlockCache::Key(Level level, std::string_view body)
{
    std::string key(1, static_cast<char>(level));
    key.append(body);
    return key;
}

std::optional<std::string> TScriptBlockCache::Find(Level level, std::string_view body) const
{
    const std::string key = Key(level, body);
    const std::lock_guard lock(mutex_);
    const auto found = results_.find(key);
    if (found == results_.end()) return std::nullopt;
    return found->second;
}

void TScriptBlockCache::Keep(Level level, std::string_view body, std::string result)
{
    std::string key = Key(level, body);
    const std::size_t size = key.size() + result.size();
    const std::lock_guard lock(mutex_);
    if (bytes_ + size > byteLimit) return;
    if (results_.emplace(std::move(key), std::move(result)).second) bytes_ += size;
}
