#pragma once
// The optimization run over the host's file list.

#include "app/core/RunHost.h"

// The Optimize command's grid reset: header plus one data row, all data cells empty.
void ResetResultGrid(TRunHost& host);

// Walks the file list, optimizes each file into the output directory with the
// host's run environment and fills the grid rows and the TOTAL row. Every
// destination is planned and checked before the first file is written
// (RunPlan.h). A file that fails (a refused destination, an optimizer's
// fault, a plug-in's failure) ends the run with TFileFailure (its source and
// reason); rows already filled stay, the current row holds only its path. A
// cancelled run ends with RunCancelled. Files whose plug-in is missing from
// the plug-in folder are copied unchanged, with one notice per plug-in and
// run. The environment's control (one is made when the host has none)
// starts a new run: notices are shown again.
void StartCompression(TRunHost& host);
