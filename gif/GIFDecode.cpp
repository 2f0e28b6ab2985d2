#include "gif/GIFDecode.h"

#include <algorithm>
#include <cstring>

#include "gif/GIFReader.h"
#include "gif/LZWDecoder.h"

namespace {

void ReadHeader(TStream& stream, TGIFHeader& header)
{
    const TGIFScreenDescriptor descriptor = ReadScreenDescriptor(stream);
    header.ScreenWidth = descriptor.Width;
    header.ScreenHeight = descriptor.Height;
    header.PackedFields = descriptor.PackedFields;
    header.BackgroundIndex = descriptor.BackgroundIndex;
    header.AspectRatio = descriptor.AspectRatio;
    header.CheckScreenSize();
    if (header.PackedFields & 0x80)
        header.ColorMap().LoadFromStream(stream, ColorTableSize(header.PackedFields));
    else
        header.ColorMap().ResetColors();
}

// Of several graphic control extensions before one image, the last one holds
// (delay, disposal, transparency flag and index alike): the others are dropped.
void KeepLastGraphicControl(TGIFSubImage& frame)
{
    TGIFExtensionList& extensions = frame.Extensions();
    TGIFGraphicControlExtension* last = nullptr;
    int count = 0;
    for (auto& extension : extensions)
        if (auto* control = dynamic_cast<TGIFGraphicControlExtension*>(extension.get())) last = control, ++count;
    if (count < 2) return;
    for (int i = extensions.Count() - 1; i >= 0; --i)
        if (extensions[i] != last && dynamic_cast<TGIFGraphicControlExtension*>(extensions[i])) extensions.Delete(i);
    last->SetTransparencyMark(last->TransparentFlag());
}

void ReadFrames(TStream& stream, TGIFImage& image, const TGIFReadOptions& options)
{
    std::uint8_t block;
    if (!ReadBlockStart(stream, block)) return;
    while (block != GIFTrailerByte) {
        stream.Skip(-1);
        if (block != GIFExtensionIntroducer && block != GIFImageSeparator) return;
        std::unique_ptr<TGIFSubImage> frame = image.NewFrame();
        ReadFrame(stream, *frame, image.Header(), options);
        image.Images().Add(std::move(frame));
        if (!ReadBlockStart(stream, block)) return;
    }
    stream.Skip(-1);
}

// Allocates the frame's pixels holding the transparent index of a
// transparent frame, else 0; returns that value.
std::uint8_t FillPixels(TGIFSubImage& frame)
{
    frame.AllocatePixels();
    const std::uint8_t fill = frame.Transparent() ? std::uint8_t(frame.TransparentIndex()) : 0;
    if (fill && frame.PixelsSize()) std::memset(frame.Pixels(), fill, frame.PixelsSize());
    return fill;
}

// A frame wholly outside the screen shows nothing, for its delay: one
// transparent pixel in the corner that disposes of nothing. Its image data is skipped.
void ReadOffScreenFrame(TStream& stream, TGIFSubImage& frame, const TGIFReadOptions& options)
{
    std::uint8_t codeSize;
    if (stream.ReadByte(codeSize)) SkipSubBlocks(stream);
    TGIFGraphicControlExtension& control = frame.EnsureGraphicControl();
    if (!control.TransparencyMark()) control.SetTransparentIndex(0);
    control.SetTransparentFlag(true);
    control.SetDisposalMethod(1);
    frame.SetPackedFields(std::uint8_t(frame.PackedFields() & ~0x40));
    frame.SetPlacement(0, 0, 1, 1);
    if (options.SkipImageData) return;
    FillPixels(frame);
    if (options.FrameRead) options.FrameRead(frame);
}

}  // namespace

void ReadFrame(TStream& stream, TGIFSubImage& frame, const TGIFHeader& header, const TGIFReadOptions& options)
{
    frame.Clear();
    frame.Extensions().ReadFrom(stream);
    KeepLastGraphicControl(frame);
    std::uint8_t next;
    if (!PeekByte(stream, next)) return;
    if (next == GIFTrailerByte || next == 0x00) return;

    const TGIFImageDescriptor descriptor = ReadImageDescriptor(stream);
    int width = descriptor.Width, height = descriptor.Height;
    if (width == 0 || height == 0) width = header.ScreenWidth, height = header.ScreenHeight;
    // Only the part on the logical screen is kept, as a browser shows it (a
    // screen without pixels is grown to the frames instead, as browsers do).
    const bool noScreen = header.ScreenWidth == 0 || header.ScreenHeight == 0;
    const TLZWDecoder::TWindow window{
        0, 0, noScreen ? width : std::min(width, header.ScreenWidth - descriptor.Left),
        noScreen ? height : std::min(height, header.ScreenHeight - descriptor.Top)};
    frame.SetPackedFields(descriptor.PackedFields);
    if (descriptor.PackedFields & 0x80)
        frame.ColorMap().LoadFromStream(stream, ColorTableSize(descriptor.PackedFields));
    if (window.Right <= 0 || window.Bottom <= 0) {
        ReadOffScreenFrame(stream, frame, options);
        return;
    }
    frame.SetPlacement(descriptor.Left, descriptor.Top, window.Right, window.Bottom);
    if (options.SkipImageData) {
        std::uint8_t codeSize;
        if (stream.ReadByte(codeSize)) SkipSubBlocks(stream);
        return;
    }
    if (window.Right == width && window.Bottom == height) {
        DecodePixels(stream, frame);
    } else {
        FillPixels(frame);
        auto decoder = std::make_unique<TLZWDecoder>(stream);
        decoder->DecodeWindow(frame.Pixels(), width, height, frame.IsInterlaced(), window);
    }
    if (options.FrameRead) options.FrameRead(frame);
}

void DecodePixels(TStream& stream, TGIFSubImage& frame)
{
    const std::uint8_t fill = FillPixels(frame);
    // The decoder's tables are large: on the heap.
    auto decoder = std::make_unique<TLZWDecoder>(stream);
    const bool none = frame.PixelsSize() == 0;
    decoder->Decode(frame.Pixels(), none ? 0 : frame.Width(), none ? 0 : frame.Height(), frame.IsInterlaced(), fill);
}

void ReadGIF(TStream& stream, TGIFImage& image, const TGIFReadOptions& options)
{
    image.Clear();
    const std::int64_t start = stream.Position();
    try {
        ReadHeader(stream, image.Header());
        ReadFrames(stream, image, options);
        image.FitScreenToFrames();
        // A trailer byte other than 0x3B (or none) is let pass.
        std::uint8_t trailer;
        stream.ReadByte(trailer);
    } catch (...) {
        stream.Seek(start);
        throw;
    }
}

void TGIFImage::ReadFrom(TStream& stream)
{
    ReadGIF(stream, *this);
}

void TGIFImage::LoadFromBytes(std::span<const std::uint8_t> bytes)
{
    TMemoryView view(bytes);
    ReadFrom(view);
}

void TGIFImage::LoadFromFile(const std::string& path)
{
    const std::vector<std::uint8_t> bytes = ReadWholeFile(path);
    LoadFromBytes(bytes);
}
