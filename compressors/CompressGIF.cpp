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

// Reads the source into the buffer and the image, then empties the buffer.
void ReadSource(const std::string& source, const std::string& destination, TMemoryStream& buffer, TGIFImage& image,
                FileSize& originalSize, const TGIFRenderOptions& rendering)
{
    ApplyRenderOptions(image, rendering);
    buffer = TMemoryStream(ReadEntireFileBytes(source));
    EnsureNotSource(source, destination);
    originalSize = Low32(std::size_t(buffer.Size()));
    image.ReadFrom(buffer);
    buffer = TMemoryStream();
}

void WriteResult(TGIFImage& image, TMemoryStream& buffer, const std::string& destination, FileSize& optimizedSize)
{
    image.WriteTo(buffer);
    optimizedSize = Low32(buffer.Bytes().size());
    WriteEntireFile(destination, buffer.Bytes());
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

void RecompressGIF(const std::string& source, const std::string& destination, FileSize& originalSize,
                   FileSize& optimizedSize, const TGIFRenderOptions& rendering)
{
    TMemoryStream buffer;
    auto image = std::make_unique<TGIFImage>();
    ReadSource(source, destination, buffer, *image, originalSize, rendering);
    OptimizeGIFImage(*image);
    WriteResult(*image, buffer, destination, optimizedSize);
}

void FlattenGIF(const std::string& source, const std::string& destination, FileSize& originalSize,
                FileSize& optimizedSize, const TGIFRenderOptions& rendering)
{
    TMemoryStream buffer;
    auto rebuilt = std::make_unique<TGIFImage>();
    {
        auto image = std::make_unique<TGIFImage>();
        ReadSource(source, destination, buffer, *image, originalSize, rendering);

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
    WriteResult(*rebuilt, buffer, destination, optimizedSize);
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
