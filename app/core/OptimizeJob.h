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
    ByteCount originalSize = 0;  // the source's size when the job read it
    ByteCount optimizedSize = 0;  // the size of what was written
    bool copied = false;
    int level = -1;
    // Why the destination holds the source's bytes instead of the optimizer's
    // output ("output did not match": ProvedOutput.h); empty when it does not.
    std::string kept;
    // What a correct output left as written ("2 scripts kept as written
    // (REASON)"); empty when nothing. Such an output is never reused.
    std::string partial;
};

// Why an image was kept when its output did not show the source's picture.
constexpr const char* kOutputDidNotMatch = "output did not match";

// "kept: ..." or "partial: ..." for a result that is either; empty otherwise.
std::string ResultNote(const TJobResult& result);

// Refuses a refused job, creates its new folders (CreateOutputFolders) and
// runs the job's row of the optimizer table: its in-process optimizer through
// OptimizeInProcess, or its plug-in (a file of no kind, or of a row with
// neither, is copied). A file whose plug-in is
// missing is copied, with one notice per plug-in and run through the
// environment's notify hook (stderr when it has none). An image source its
// decoder refuses is copied without running the plug-in, and marked kept
// ("damaged PNG (...)": CheckSourcePicture). An output that is not
// smaller than its source becomes the source's bytes (KeepSourceWhenNotSmaller),
// and so does an image output that does not show its source's picture
// (KeepSourceWhenNotSamePicture; the result is then marked kept).
// Throws what the optimizer throws.
TJobResult OptimizeJob(const TJob& job, const TLevels& levels, const TRunEnvironment& environment,
                       const std::map<FileKind, std::string>& missingPlugins);
