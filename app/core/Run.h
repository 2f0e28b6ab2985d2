#pragma once
// The optimization run over the host's file list.

#include "app/core/RunHost.h"

// The Optimize command's grid reset: header plus one data row, all data cells empty.
void ResetResultGrid(TRunHost& host);

// Walks the file list, optimizes each file into the output directory with the
// host's run environment and fills the grid rows and the TOTAL row. An
// optimizer's exception ends the run and propagates to the caller; rows
// already filled stay, the current row holds only its path.
void StartCompression(TRunHost& host);
