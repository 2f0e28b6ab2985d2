#pragma once
// The results grid as aligned plain text.

#include <string>

#include "app/core/GridView.h"

// Columns 1 to the last: the header row, a rule, then every row that holds
// any text. The path column is left-aligned, the others right-aligned,
// columns two blanks apart; lines end with "\n", without trailing blanks.
// A cell other than the path (a failure's reason) shows its first line, cut
// with "..." to at most 80 characters; the only one of its row, it is written
// left-aligned from the first column after the path on, widening no column.
std::string FormatTable(const TGridView& grid);
