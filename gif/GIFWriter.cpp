// Writing the object tree as a GIF stream: header, frames (extensions,
// descriptor, local map, image data) and trailer.
#include <cstdint>

#include "gif/GIFImage.h"
#include "gif/ImageProgress.h"
#include "gif/LZWEncoder.h"
#include "gif/RLEEncoder.h"

void TGIFImage::WriteTo(TStream& stream)
{
    WithProgress(this, "Saving...", [&] {
        fHeader->WriteTo(stream);
        fImages->WriteTo(stream);
        TGIFTrailer trailer(this);
        trailer.WriteTo(stream);
    });
}

void TGIFHeader::WriteTo(TStream& stream)
{
    const int version = fImage ? fImage->FileVersion() : gvUnknown;
    if (version == gvUnknown) throw GIFException("Unsupported GIF version");
    stream.Write(version == gv89a ? "GIF89a" : "GIF87a", 6);
    UpdatePackedFields();
    const std::uint8_t descriptor[7] = {std::uint8_t(ScreenWidth),
                                        std::uint8_t(ScreenWidth >> 8),
                                        std::uint8_t(ScreenHeight),
                                        std::uint8_t(ScreenHeight >> 8),
                                        PackedFields,
                                        BackgroundIndex,
                                        AspectRatio};
    stream.Write(descriptor, 7);
    if (PackedFields & 0x80) fColorMap.SaveToStream(stream);
}

void TGIFImageList::WriteTo(TStream& stream)
{
    const int count = Count();
    for (int i = 0; i < count; ++i) {
        fItems[std::size_t(i)]->WriteTo(stream);
        if (fImage) fImage->Progress(TGIFProgressStage::Running, ((i + 1) * 100 + count / 2) / count, "Saving...");
    }
}

void TGIFSubImage::WriteTo(TStream& stream)
{
    fExtensions.WriteTo(stream);
    if (IsEmpty()) return;
    UpdateDescriptorFlags();
    const std::uint8_t descriptor[10] = {ImageSeparator,
                                         std::uint8_t(fLeft),
                                         std::uint8_t(fLeft >> 8),
                                         std::uint8_t(fTop),
                                         std::uint8_t(fTop >> 8),
                                         std::uint8_t(fWidth),
                                         std::uint8_t(fWidth >> 8),
                                         std::uint8_t(fHeight),
                                         std::uint8_t(fHeight >> 8),
                                         fPackedFields};
    stream.Write(descriptor, 10);
    fColorMap.SaveToStream(stream);
    EncodePixels(stream);
}

void TGIFSubImage::EncodePixels(TStream& stream)
{
    int bitsPerPixel, colorLimit;
    if (fColorMap.EntryCount() > 0) {
        bitsPerPixel = fColorMap.IndexBits();
        colorLimit = fColorMap.EntryCount();
    } else {
        bitsPerPixel = fImage ? fImage->MaxIndexBits() : 0;
        colorLimit = 1 << bitsPerPixel;
    }
    std::unique_ptr<TGIFEncoder> encoder;
    if (fImage && fImage->CompressionMethod == 1)
        encoder = std::make_unique<TRLEEncoder>();
    else
        encoder = std::make_unique<TLZWEncoder>();
    TGIFImage* image = fImage;
    encoder->Warning = [image, this](int severity, const std::string& message) {
        if (image) image->Warn(this, severity, message);
    };
    encoder->EncodeFrame(stream, bitsPerPixel, colorLimit, Pixels(), IsInterlaced(), fHeight, fWidth);
}

void TGIFTrailer::WriteTo(TStream& stream)
{
    stream.WriteByte(0x3B);
}
