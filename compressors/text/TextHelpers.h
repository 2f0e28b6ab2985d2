#pragma once
// Byte-string helpers shared by the minifiers. Positions are 1-based.

#include <cstddef>
#include <string>
#include <string_view>

// Every occurrence of oldText replaced by newText, left to right, without
// searching replaced text again.
std::string ReplaceAll(std::string_view text, std::string_view oldText, std::string_view newText);

// 1-based position of the first occurrence of sub that begins at or after
// start (1-based), or 0 when there is none.
std::size_t FindFrom(std::string_view sub, std::string_view text, std::size_t start);
