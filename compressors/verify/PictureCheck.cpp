#include "compressors/verify/PictureCheck.h"

#include <algorithm>

#include "compressors/verify/GifMovie.h"
#include "compressors/verify/GifStill.h"
#include "compressors/verify/JpegCompare.h"
#include "compressors/verify/PngPixels.h"

namespace {

constexpr int kFixedPaletteReach = 3 * 26 * 26;

bool SameColors(const std::vector<std::uint8_t>& a, const std::vector<std::uint8_t>& b, TColorMatch match)
{
    if (a.size() != b.size()) return false;
    if (match == TColorMatch::Exact) return a == b;
    for (std::size_t i = 0; i < a.size(); i += 4) {
        if (a[i + 3] != b[i + 3]) return false;
        if (a[i + 3] == 0) continue;
        int distance = 0;
        for (std::size_t c = 0; c < 3; ++c) {
            const int d = int(a[i + c]) - int(b[i + c]);
            distance += d * d;
        }
        if (distance > kFixedPaletteReach) return false;
    }
    return true;
}

// Walks both movies moment by moment: whichever picture ends first moves on.
bool SameGif(std::span<const std::uint8_t> sourceBytes, std::span<const std::uint8_t> outputBytes, TColorMatch match)
{
    // Two still images row by row, without whole pictures in memory.
    const auto sameRow = [match](const std::vector<std::uint8_t>& a, const std::vector<std::uint8_t>& b) {
        return SameColors(a, b, match);
    };
    if (const std::optional<bool> still = SameStillGif(sourceBytes, outputBytes, sameRow)) return *still;
    const auto source = TGifMovie::Open(sourceBytes);
    const auto output = TGifMovie::Open(outputBytes);
    if (!source || !output) return false;
    if (source->Width() != output->Width() || source->Height() != output->Height()) return false;
    const bool sourceShows = source->Next(), outputShows = output->Next();
    if (!sourceShows || !outputShows) return sourceShows == outputShows;
    long sourceLeft = source->Duration(), outputLeft = output->Duration();
    int pictures = 1;  // of the source
    for (;;) {
        if (!SameColors(source->Picture(), output->Picture(), match)) return false;
        const long step = std::min(sourceLeft, outputLeft);
        sourceLeft -= step;
        outputLeft -= step;
        const bool sourceMoves = sourceLeft == 0, outputMoves = outputLeft == 0;
        const bool sourceMore = sourceMoves && source->Next();
        const bool outputMore = outputMoves && output->Next();
        if ((sourceMoves && !sourceMore) || (outputMoves && !outputMore)) {
            // One ended: the other may only go on showing its last picture.
            const bool sourceEnded = sourceMoves && !sourceMore, outputEnded = outputMoves && !outputMore;
            if (!sourceEnded && (sourceMore || source->Next())) return false;
            if (!outputEnded && (outputMore || output->Next())) return false;
            const bool sameTime = sourceEnded && outputEnded;
            if (pictures == 1) return true;
            return source->LoopCount() == output->LoopCount() && (sameTime || source->LoopCount() == -1);
        }
        if (sourceMore) {
            sourceLeft = source->Duration();
            ++pictures;
        }
        if (outputMore) outputLeft = output->Duration();
    }
}

bool SamePng(const std::optional<TPngPixels>& a, std::span<const std::uint8_t> output)
{
    if (!a) return false;
    const auto b = DecodePng(output);
    return b && a->width == b->width && a->height == b->height && a->rgba == b->rgba;
}

}  // namespace

struct TSourcePicture::TDecoded {
    std::optional<TPngPixels> png;
};

TSourcePicture::TSourcePicture(TImageFormat format, std::vector<std::uint8_t> bytes)
    : format_(format), bytes_(std::move(bytes)), decoded_(std::make_unique<TDecoded>())
{
    if (format == TImageFormat::PNG) decoded_->png = DecodePng(bytes_, &damage_);
    if (format == TImageFormat::JPEG) damage_ = JpegDamage(bytes_);
}

TSourcePicture::~TSourcePicture() = default;
TSourcePicture::TSourcePicture(TSourcePicture&&) noexcept = default;
TSourcePicture& TSourcePicture::operator=(TSourcePicture&&) noexcept = default;

bool SamePicture(TColorMatch match, const TSourcePicture& source, std::span<const std::uint8_t> output)
{
    switch (source.format_) {
    case TImageFormat::GIF: return SameGif(source.bytes_, output, match);
    case TImageFormat::PNG: return SamePng(source.decoded_->png, output);
    case TImageFormat::JPEG: return SameJpeg(source.bytes_, output);
    }
    return false;
}

bool SamePicture(TImageFormat format, TColorMatch match, std::span<const std::uint8_t> source,
                 std::span<const std::uint8_t> output)
{
    return SamePicture(match, TSourcePicture(format, {source.begin(), source.end()}), output);
}
