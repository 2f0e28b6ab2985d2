#pragma once
// Searches that ignore ASCII letter case, fast enough to run over a whole
// large page before the scan starts.

#include <initializer_list>
#include <string_view>

// True when any of the needles (written in lower case, each 1 to 32 bytes)
// occurs in the text with its ASCII letters in any case.
bool ContainsAnyIgnoringCase(std::string_view text, std::initializer_list<std::string_view> lowerNeedles);
