#pragma once
// JSON text laid out as the program writes it.

#include <functional>
#include <map>
#include <nlohmann/json.hpp>
#include <string>

// The decimal places of floating-point members, by member name.
using TJsonDecimals = std::map<std::string, int, std::less<>>;

// `value` as text. A container that holds a container has one value a line,
// indented two spaces a level; any other stays on one line:
// {"a": 1, "b": [2, 3]}. Strings as JsonString writes them, numbers of a
// member named in `decimals` with that many places; no newline at the end.
std::string JsonLayout(const nlohmann::ordered_json& value, const TJsonDecimals& decimals = {});
