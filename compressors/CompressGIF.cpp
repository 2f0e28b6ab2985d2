#include "compressors/CompressGIF.h"

#include <algorithm>
#include <vector>

#include "compressors/base/Files.h"
#include "compressors/base/SourceGuard.h"
#include "gif/ColorMapOptimizer.h"
#include "gif/Flattener.h"
#include "gif/FrameOptimizer.h"
#include "gif/GIFImage.h"

namespace {

FileSize Low32(std::size_t size)
{
    return FileSize(std::uint32_t(size));
}

using TGIFLevel = std::vector<std::uint8_t> (*)(std::span<const std::uint8_t>, const TGIFRenderOptions&,
                                                TGIFMemoryBudget*, std::size_t);

// Reads the source whole, optimizes it in memory, and writes the smaller of
// the result and the source to the destination. One budget counts the
// source's bytes, the output with its per-frame candidates (each at most the
// source's size, since anything larger is not taken) and all pixel memory.
void CompressFile(const std::string& source, const std::string& destination, FileSize& originalSize,
                  FileSize& optimizedSize, const TGIFRenderOptions& rendering, TGIFLevel level)
{
    TGIFMemoryBudget budget;
    const std::uint64_t size = InputFile(source).Size();
    TGIFReservation files(budget, 4 * size);
    const std::vector<std::uint8_t> bytes = ReadEntireFileBytes(source);
    TGIFReservation grown(budget, bytes.size() > size ? 4 * (bytes.size() - size) : 0);
    EnsureNotSource(source, destination);
    std::vector<std::uint8_t> optimized;
    bool smaller = false;
    try {
        optimized = level(bytes, rendering, &budget, bytes.empty() ? 0 : bytes.size() - 1);
        smaller = optimized.size() < bytes.size();
    } catch (const GIFOutputLimit&) {
    }
    const std::vector<std::uint8_t>& result = smaller ? optimized : bytes;
    originalSize = Low32(bytes.size());
    optimizedSize = Low32(result.size());
    WriteEntireFile(destination, result);
}

}  // namespace

void OptimizeGIFImage(TGIFImage& image)
{
    OptimizeColorMaps(image);
    OptimizeFrames(image);
    image.Compression = TGIFCompression::LZW;
}

std::vector<std::uint8_t> RecompressGIFBytes(std::span<const std::uint8_t> source, const TGIFRenderOptions&,
                                             TGIFMemoryBudget* budget, std::size_t outputLimit)
{
    auto image = std::make_unique<TGIFImage>();
    if (budget) image->ShareBudget(*budget);
    image->LoadFromBytes(source);
    const auto& frames = image->Images();
    if (std::all_of(frames.begin(), frames.end(), [](const auto& frame) { return frame->IsEmpty(); }))
        throw GIFException("No image in the file");
    OptimizeGIFImage(*image);
    TMemoryStream out;
    out.SetLimit(std::int64_t(std::min<std::size_t>(outputLimit, INT64_MAX)));
    image->WriteTo(out);
    return out.TakeBytes();
}

void RecompressGIF(const std::string& source, const std::string& destination, FileSize& originalSize,
                   FileSize& optimizedSize, const TGIFRenderOptions& rendering)
{
    CompressFile(source, destination, originalSize, optimizedSize, rendering, &RecompressGIFBytes);
}

std::vector<std::uint8_t> FlattenGIFBytes(std::span<const std::uint8_t> source, const TGIFRenderOptions& rendering,
                                          TGIFMemoryBudget* budget, std::size_t outputLimit)
{
    TGIFMemoryBudget own;
    return FlattenAnimation(source, budget ? *budget : own, rendering, outputLimit);
}

void FlattenGIF(const std::string& source, const std::string& destination, FileSize& originalSize,
                FileSize& optimizedSize, const TGIFRenderOptions& rendering)
{
    CompressFile(source, destination, originalSize, optimizedSize, rendering, &FlattenGIFBytes);
}

std::string OptimizeGIF(std::string_view source, const TGIFOptions& options)
{
    TGIFMemoryBudget budget;
    TGIFReservation files(budget, 4 * source.size());
    const std::span<const std::uint8_t> bytes(reinterpret_cast<const std::uint8_t*>(source.data()), source.size());
    const TGIFLevel level = options.level == 1 ? &RecompressGIFBytes : &FlattenGIFBytes;
    try {
        const std::vector<std::uint8_t> optimized =
            level(bytes, options.rendering, &budget, bytes.empty() ? 0 : bytes.size() - 1);
        if (optimized.size() < bytes.size()) return std::string(optimized.begin(), optimized.end());
    } catch (const GIFOutputLimit&) {
    }
    return std::string(source);
}
