#include "app/core/ProvedOutput.h"

#include "compressors/base/DeclinedSource.h"
#include "compressors/base/Files.h"
#include "compressors/base/PlainCopy.h"

namespace {

std::optional<TImageFormat> ProvedFormat(const TJob& job, Level level, const TRunEnvironment& environment)
{
    if (level == 0 || !job.kind || !environment.proveImages) return std::nullopt;
    return job.kind->picture;
}

const char* FormatName(TImageFormat format)
{
    switch (format) {
    case TImageFormat::GIF: return "GIF";
    case TImageFormat::PNG: return "PNG";
    case TImageFormat::JPEG: return "JPEG";
    }
    return "image";
}

}  // namespace

std::optional<TSourcePicture> CheckSourcePicture(const TJob& job, Level level, const TRunEnvironment& environment)
{
    const std::optional<TImageFormat> format = ProvedFormat(job, level, environment);
    if (!format || *format == TImageFormat::GIF) return std::nullopt;
    TSourcePicture source(*format, ReadEntireFileBytes(job.source));
    if (!source.Damage().empty())
        throw TDeclinedSource("damaged " + std::string(FormatName(*format)) + " (" + source.Damage() + ")", true);
    return source;
}

std::optional<std::string> KeepSourceWhenNotSamePicture(const TJob& job, Level level, FileSize& originalSize,
                                                        FileSize& optimizedSize, const TRunEnvironment& environment,
                                                        const TSourcePicture* source)
{
    const std::optional<TImageFormat> format = ProvedFormat(job, level, environment);
    if (!format) return std::nullopt;
    std::optional<TSourcePicture> readNow;
    if (!source) source = &readNow.emplace(*format, ReadEntireFileBytes(job.source));
    // Our GIF engine reads damaged files a browser still shows; one that
    // giflib refuses is named when its bytes are what stands.
    const auto damagedGif = [&] {
        const std::string damage = *format == TImageFormat::GIF ? GifDamage(source->Bytes()) : std::string();
        return damage.empty() ? damage : "damaged GIF (" + damage + ")";
    };
    const std::vector<std::uint8_t> output = ReadEntireFileBytes(job.destination);
    if (output == source->Bytes()) {
        std::string damage = damagedGif();
        return damage.empty() ? std::nullopt : std::optional(std::move(damage));
    }
    const TColorMatch match =
        *format == TImageFormat::GIF && level >= 2 ? TColorMatch::FixedPalette : TColorMatch::Exact;
    if (SamePicture(match, *source, output)) return std::nullopt;
    PlainCopy(job.source, job.destination, originalSize, optimizedSize, environment);
    return damagedGif();
}
