#pragma once
// The results grid as aligned plain text.

#include <string>

#include "app/core/GridView.h"

// Columns 1 to the last: the header row, a rule, then every row that holds
// any text. The path column is left-aligned, the others right-aligned,
// columns two blanks apart; lines end with "\n", without trailing blanks.
std::string FormatTable(const TGridView& grid);
