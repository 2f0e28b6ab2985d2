#include "app/core/ProvedOutput.h"

#include <optional>

#include "compressors/base/Files.h"
#include "compressors/base/PlainCopy.h"
#include "compressors/verify/PictureCheck.h"

bool KeepSourceWhenNotSamePicture(const TJob& job, Level level, FileSize& originalSize, FileSize& optimizedSize,
                                  const TRunEnvironment& environment)
{
    const std::optional<TImageFormat> format = job.kind ? job.kind->picture : std::nullopt;
    if (level == 0 || !format || !environment.proveImages) return false;
    const std::vector<std::uint8_t> output = ReadEntireFileBytes(job.destination);
    const std::vector<std::uint8_t> source = ReadEntireFileBytes(job.source);
    if (output == source) return false;
    const TColorMatch match =
        *format == TImageFormat::GIF && level >= 2 ? TColorMatch::FixedPalette : TColorMatch::Exact;
    if (SamePicture(*format, match, source, output)) return false;
    PlainCopy(job.source, job.destination, originalSize, optimizedSize, environment);
    return true;
}
