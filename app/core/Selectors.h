#pragma once
// The entries of the six level selectors, in the order the window lists them.

#include <string>
#include <vector>

#include "app/core/RunHost.h"

const std::vector<std::string>& SelectorEntries(Selector selector);

// Index of the entry a selector shows at start.
std::size_t DefaultEntryIndex(Selector selector);

// The entry whose level is `level`, or an empty text when there is none.
std::string EntryForLevel(Selector selector, int level);

// Selectors in the order of their group boxes: PNG, JS, JPEG, HTML, GIF, CSS.
const std::vector<Selector>& AllSelectors();
