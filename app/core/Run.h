#pragma once
// The optimization run over the host's file list.

#include <string>

#include "app/core/RunHost.h"
#include "compressors/Compressors.h"

// Walks the file list, optimizes each file into the output directory and fills
// the grid rows and the TOTAL row. An optimizer's exception ends the run and
// propagates to the caller; rows already filled stay.
void StartCompression(TRunHost& host);

// "%8.0d B", "%8.1n kB", "%8.2n MB", "%8.3n GB" with the given separators.
std::string HumanSize(FileSize size, char thousandsSeparator = ',', char decimalSeparator = '.');

// optimized * 100 / original as "%f%%" with two decimals; "n/a" when original is 0.
std::string RatioText(long long optimized, long long original, char decimalSeparator = '.');

// The level a selector's text gives (one digit; the JPEG selector also two).
Level LevelFromText(const std::string& text, bool jpegSelector);
