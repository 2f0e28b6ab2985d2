#include "app/core/NeverLarger.h"

#include <filesystem>
#include <system_error>

#include "compressors/base/PlainCopy.h"

void KeepSourceWhenNotSmaller(const TJob& job, Level level, FileSize& originalSize, FileSize& optimizedSize,
                              const TRunEnvironment& environment)
{
    if (level == 0 || !job.kind || !job.kind->keepSourceWhenNotSmaller) return;
    std::error_code error;
    const std::uintmax_t written = std::filesystem::file_size(job.destination, error);
    if (error) return;
    const std::uintmax_t source = std::filesystem::file_size(job.source, error);
    if (error || written < source) return;
    PlainCopy(job.source, job.destination, originalSize, optimizedSize, environment);
}
