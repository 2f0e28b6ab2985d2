#pragma once
// The per-file optimizers. Each writes the destination whole or not at all (a
// temporary file beside it, renamed over it when complete; plug-ins write
// that temporary file) and reports the source's size and the written file's
// size. Failures (a file that cannot be opened or created, a malformed image,
// a plug-in that failed: ToolError) are thrown as exceptions derived from
// std::runtime_error and are not caught here; the destination is then as it
// was. RunCancelled ends a call whose run was cancelled.
//
// Threads: every optimizer may run on several threads at once. A call keeps
// no state between calls and shares none with other calls; what it needs from
// its caller comes in the environment (RunEnvironment.h), which it only reads
// (its run control is safe on any thread). Calls that run together need
// distinct destinations; temporary files have names of their own. The
// environment's hooks and executor must be safe to call from those threads,
// and a thread that runs a plug-in waits for it (ExecuteAndWait).

#include "compressors/CompressGIF.h"
#include "compressors/InProcessFiles.h"
#include "compressors/base/OptimizerTypes.h"
#include "compressors/Optimizers.h"
#include "compressors/base/FileSizeOf.h"
#include "compressors/base/PlainCopy.h"
#include "compressors/base/RunEnvironment.h"
#include "compressors/tools/CompressJPEG.h"
#include "compressors/tools/CompressJS.h"
#include "compressors/tools/CompressPNG.h"
#include "compressors/tools/ExecuteAndWait.h"
