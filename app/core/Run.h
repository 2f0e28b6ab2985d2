#pragma once
// The optimization run over the host's file list.

#include <string>

#include "app/core/RunHost.h"
#include "compressors/Compressors.h"

// The Optimize command's grid reset: header plus one data row, all data cells empty.
void ResetResultGrid(TRunHost& host);

// Walks the file list, optimizes each file into the output directory and fills
// the grid rows and the TOTAL row. An optimizer's exception ends the run and
// propagates to the caller; rows already filled stay, the current row holds
// only its path.
void StartCompression(TRunHost& host);

// "%8.0d B", "%8.1n kB", "%8.2n MB", "%8.3n GB" with the given separators.
std::string HumanSize(FileSize size, const std::string& thousandsSeparator = ",",
                      const std::string& decimalSeparator = ".");

// optimized * 100 / original as "%f%%" with two decimals; "n/a" when original is 0.
std::string RatioText(long long optimized, long long original, const std::string& decimalSeparator = ".");

// The level a selector's text gives (one digit; the JPEG selector also two).
// Throws std::runtime_error when the text does not start with a level.
Level LevelFromText(const std::string& text, bool jpegSelector);
