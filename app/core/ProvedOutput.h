#pragma once
// An image output is accepted only when independent decoders show that it is
// the source's picture (compressors/verify/PictureCheck.h); a source they
// refuse is never handed to a plug-in.

#include <optional>
#include <string>

#include "app/core/RunPlan.h"
#include "compressors/base/OptimizerTypes.h"
#include "compressors/base/RunEnvironment.h"
#include "compressors/verify/PictureCheck.h"

// For a PNG or JPEG job at a level above 0, while images are proved: the
// source, read and decoded before its plug-in runs. Throws TDeclinedSource
// ("damaged JPEG (REASON)", a warning: the run keeps the source) when the
// decoder refuses it. Nothing for any other job. Throws what reading throws.
std::optional<TSourcePicture> CheckSourcePicture(const TJob& job, Level level, const TRunEnvironment& environment);

// For a GIF, PNG or JPEG job at a level above 0 whose destination differs
// from its source: decodes both and compares them (GIF level 1, PNG and JPEG
// exactly; GIF level 2 and above with the fixed palette's reach). When the
// output does not show the source's picture (or does not decode), replaces
// it with a copy of the source (temporary file and rename, as every output),
// gives both sizes the copy's and returns why: "damaged GIF (REASON)" for a
// GIF source giflib refuses (also when the output is the source's bytes),
// else empty (the output did not match). Nothing when the output stands.
// `source`, when given, is the source as CheckSourcePicture read it; without
// it the source is read now. Throws what reading the files or the copy throws.
std::optional<std::string> KeepSourceWhenNotSamePicture(const TJob& job, Level level, FileSize& originalSize,
                                                        FileSize& optimizedSize, const TRunEnvironment& environment,
                                                        const TSourcePicture* source = nullptr);
