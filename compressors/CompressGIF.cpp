#include "compressors/CompressGIF.h"

#include <vector>

#include "compressors/tools/Files.h"
#include "compressors/tools/PlainCopy.h"
#include "compressors/tools/SourceGuard.h"
#include "gif/Bitmap.h"
#include "gif/ColorMapOptimizer.h"
#include "gif/FrameImport.h"
#include "gif/FrameOptimizer.h"
#include "gif/FrameRenderer.h"
#include "gif/GIFImage.h"

namespace {

FileSize Low32(std::size_t size)
{
    return FileSize(std::uint32_t(size));
}

using TGIFLevel = std::vector<std::uint8_t> (*)(std::span<const std::uint8_t>, const TGIFRenderOptions&);

// Reads the source whole, optimizes it in memory, and writes the smaller of
// the result and the source to the destination.
void CompressFile(const std::string& source, const std::string& destination, FileSize& originalSize,
                  FileSize& optimizedSize, const TGIFRenderOptions& rendering, TGIFLevel level)
{
    const std::vector<std::uint8_t> bytes = ReadEntireFileBytes(source);
    EnsureNotSource(source, destination);
    std::vector<std::uint8_t> optimized = level(bytes, rendering);
    const std::vector<std::uint8_t>& result = optimized.size() < bytes.size() ? optimized : bytes;
    originalSize = Low32(bytes.size());
    optimizedSize = Low32(result.size());
    WriteEntireFile(destination, result);
}

void ReadImage(std::span<const std::uint8_t> source, TGIFImage& image, const TGIFRenderOptions& rendering)
{
    ApplyRenderOptions(image, rendering);
    image.LoadFromBytes(source);
}

}  // namespace

void OptimizeGIFImage(TGIFImage& image)
{
    image.ReductionMethod = 7;
    image.DitherStyle = 0;
    OptimizeColorMaps(image);
    OptimizeFrames(image, optCrop | optMerge | optCleanup | optColorMaps, 7, 0, 8);
    image.CompressionMethod = 0;
}

std::vector<std::uint8_t> RecompressGIFBytes(std::span<const std::uint8_t> source, const TGIFRenderOptions& rendering)
{
    auto image = std::make_unique<TGIFImage>();
    ReadImage(source, *image, rendering);
    OptimizeGIFImage(*image);
    return image->SaveToBytes();
}

void RecompressGIF(const std::string& source, const std::string& destination, FileSize& originalSize,
                   FileSize& optimizedSize, const TGIFRenderOptions& rendering)
{
    CompressFile(source, destination, originalSize, optimizedSize, rendering, &RecompressGIFBytes);
}

std::vector<std::uint8_t> FlattenGIFBytes(std::span<const std::uint8_t> source, const TGIFRenderOptions& rendering)
{
    auto rebuilt = std::make_unique<TGIFImage>();
    {
        auto image = std::make_unique<TGIFImage>();
        ReadImage(source, *image, rendering);

        // White, 8 bits per pixel, the halftone palette as its color table.
        TBitmap canvas(image->Width(), image->Height(), TPixelFormat::pf8bit);

        rebuilt->ReductionMethod = 0;
        rebuilt->DitherStyle = 0;
        const TBitmapRect screen{0, 0, image->Width(), image->Height()};
        for (auto& frame : image->Images()) {
            DrawFrame(*frame, canvas, screen, true, false);
            canvas.Transparent = false;
            const int index = AddFrame(*rebuilt, canvas);
            if (const TGIFGraphicControlExtension* control = frame->GraphicControl()) {
                TGIFSubImage& added = *rebuilt->Images()[index];
                auto timing = std::make_unique<TGIFGraphicControlExtension>(&added);
                timing->SetDelayTime(control->DelayTime());
                added.Extensions().Add(std::move(timing));
            }
        }
        // An animation that looped keeps looping.
        if (!image->Images().Empty() && !rebuilt->Images().Empty())
            if (const auto* loop = image->Images()[0]->Extensions().Find<TGIFAppExtNSLoop>()) {
                TGIFSubImage& first = *rebuilt->Images()[0];
                auto copy = std::make_unique<TGIFAppExtNSLoop>(&first);
                copy->LoopCount = loop->LoopCount;
                first.Extensions().Insert(0, std::move(copy));
            }
    }
    OptimizeGIFImage(*rebuilt);
    return rebuilt->SaveToBytes();
}

void FlattenGIF(const std::string& source, const std::string& destination, FileSize& originalSize,
                FileSize& optimizedSize, const TGIFRenderOptions& rendering)
{
    CompressFile(source, destination, originalSize, optimizedSize, rendering, &FlattenGIFBytes);
}

void CompressGIF(const std::string& source, const std::string& destination, Level level, FileSize& originalSize,
                 FileSize& optimizedSize, const TRunEnvironment& environment)
{
    if (level == 1)
        RecompressGIF(source, destination, originalSize, optimizedSize, environment.gif);
    else if (level == 0)
        PlainCopy(source, destination, originalSize, optimizedSize, environment);
    else
        FlattenGIF(source, destination, originalSize, optimizedSize, environment.gif);
}
