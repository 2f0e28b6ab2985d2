#pragma once
// The results grid as aligned plain text.

#include <string>

#include "app/core/GridView.h"

// Columns 1 to the last: the header row, a rule, then every row that holds
// any text. The path column is left-aligned, the others right-aligned,
// columns two blanks apart; every line ends with "\n".
std::string FormatTable(const TGridView& grid);
