#pragma once
// One job of a plan, optimized with the levels read for it.

#include <map>
#include <string>

#include "app/core/RunPlan.h"
#include "compressors/Optimizers.h"
#include "compressors/base/RunEnvironment.h"

// The plug-in files missing from a plug-in folder, by the kind of file they serve.
std::map<FileKind, std::string> MissingPlugins(const std::string& pluginDir);

// What a job did: optimized, or copied unchanged (a kind without optimizer, or
// its plug-in is missing). Level: the job's own level; -1 for a copy.
struct TJobResult {
    FileSize originalSize = 0;
    FileSize optimizedSize = 0;
    bool copied = false;
    int level = -1;
    // The output did not show the source's picture: the destination holds the
    // source's bytes and the sizes are the source's (ProvedOutput.h).
    bool kept = false;
};

// Refuses a refused job, creates its new folders (CreateOutputFolders) and
// runs the job's row of the optimizer table: its in-process optimizer through
// OptimizeInProcess, or its plug-in (a file of no kind, or of a row with
// neither, is copied). A file whose plug-in is
// missing is copied, with one notice per plug-in and run through the
// environment's notify hook (stderr when it has none). An output that is not
// smaller than its source becomes the source's bytes (KeepSourceWhenNotSmaller),
// and so does an image output that does not show its source's picture
// (KeepSourceWhenNotSamePicture; the result is then marked kept).
// Throws what the optimizer throws.
TJobResult OptimizeJob(const TJob& job, const TLevels& levels, const TRunEnvironment& environment,
                       const std::map<FileKind, std::string>& missingPlugins);
