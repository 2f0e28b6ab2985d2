#include "gif/GIFWriter.h"

#include <memory>

#include "gif/GIFStream.h"
#include "gif/LZWEncoder.h"
#include "gif/RLEEncoder.h"

void WriteSignature(TStream& stream, TGIFVersion version)
{
    stream.Write(version == gv89a ? "GIF89a" : "GIF87a", 6);
}

void WriteScreenDescriptor(TStream& stream, const TGIFScreenDescriptor& descriptor)
{
    const std::uint8_t bytes[7] = {std::uint8_t(descriptor.Width),  std::uint8_t(descriptor.Width >> 8),
                                   std::uint8_t(descriptor.Height), std::uint8_t(descriptor.Height >> 8),
                                   descriptor.PackedFields,         descriptor.BackgroundIndex,
                                   descriptor.AspectRatio};
    stream.Write(bytes, 7);
}

void WriteImageDescriptor(TStream& stream, const TGIFImageDescriptor& descriptor)
{
    const std::uint8_t bytes[10] = {GIFImageSeparator,
                                    std::uint8_t(descriptor.Left),
                                    std::uint8_t(descriptor.Left >> 8),
                                    std::uint8_t(descriptor.Top),
                                    std::uint8_t(descriptor.Top >> 8),
                                    std::uint8_t(descriptor.Width),
                                    std::uint8_t(descriptor.Width >> 8),
                                    std::uint8_t(descriptor.Height),
                                    std::uint8_t(descriptor.Height >> 8),
                                    descriptor.PackedFields};
    stream.Write(bytes, 10);
}

void WriteImageData(TStream& stream, TGIFCompression compression, int bitsPerPixel, int colorLimit,
                    const std::uint8_t* pixels, bool interlaced, int height, int width,
                    const std::uint8_t* replaced, int replacement)
{
    std::unique_ptr<TGIFEncoder> encoder;
    if (compression == TGIFCompression::RunLength)
        encoder = std::make_unique<TRLEEncoder>();
    else
        encoder = std::make_unique<TLZWEncoder>();
    encoder->EncodeFrame(stream, bitsPerPixel, colorLimit, pixels, interlaced, height, width, replaced, replacement);
}

void WriteTrailer(TStream& stream)
{
    stream.WriteByte(GIFTrailerByte);
}
