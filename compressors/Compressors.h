#pragma once
// The per-file optimizers. Each writes the destination file in full before it
// returns and reports the source's size and the written file's size. Failures
// (a file that cannot be opened or created, a malformed image) are thrown as
// exceptions derived from std::runtime_error and are not caught here.
//
// Threads: every optimizer may run on several threads at once. A call keeps
// no state between calls and shares none with other calls; what it needs from
// its caller comes in the environment (RunEnvironment.h), which it only reads.
// Calls that run together need distinct destinations (and, for HTML level 2,
// distinct destination folders, which hold the script blocks' temporary
// files), and the environment's hooks and executor must be safe to call from
// those threads.

#include "compressors/CompressGIF.h"
#include "compressors/OptimizerTypes.h"
#include "compressors/RunEnvironment.h"
#include "compressors/text/CompressCSS.h"
#include "compressors/text/CompressHTML.h"
#include "compressors/tools/CompressJPEG.h"
#include "compressors/tools/CompressJS.h"
#include "compressors/tools/CompressPNG.h"
#include "compressors/tools/ExecuteAndWait.h"
#include "compressors/tools/FileSizeOf.h"
#include "compressors/tools/PlainCopy.h"
