#pragma once
// An optimized file never ends up larger than its source.

#include "app/core/RunPlan.h"
#include "compressors/base/OptimizerTypes.h"
#include "compressors/base/RunEnvironment.h"

// When the job's written destination is not smaller than its source and came
// from a CSS, HTML, script, PNG or JPEG optimizer at a level above 0, replaces
// it with a copy of the source (temporary file and rename, as every output)
// and gives both sizes the copy's. GIF keeps its source by itself; level 0
// already is the source. Throws what the copy throws.
void KeepSourceWhenNotSmaller(const TJob& job, Level level, FileSize& originalSize, FileSize& optimizedSize,
                              const TRunEnvironment& environment);
