#pragma once
// Room for a text of many megabytes. Touching fresh memory one 4 kB page at
// a time costs more than the minifiers' own work on it, so a large reserve
// asks the kernel for huge pages (where it offers them on request).

#include <string>

// Reserves `capacity` bytes in text (which must be empty).
void ReserveLargeText(std::string& text, std::size_t capacity);
