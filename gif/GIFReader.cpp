// Reading a GIF stream into the object tree: image, header, frame list,
// frame, extension list and trailer.
#include <cstdint>

#include "gif/FrameRenderer.h"
#include "gif/GIFImage.h"
#include "gif/ImageProgress.h"

namespace {

// Reads the next byte that is not 0x00; false at the end of the stream.
bool ReadNonZeroByte(TStream& stream, std::uint8_t& value)
{
    do {
        if (!stream.ReadByte(value)) return false;
    } while (value == 0);
    return true;
}

std::uint16_t LittleEndian16(const std::uint8_t* bytes)
{
    return std::uint16_t(bytes[0] | (bytes[1] << 8));
}

bool IsGIFSignature(const std::uint8_t* bytes)
{
    auto upper = [](std::uint8_t c) { return c >= 'a' && c <= 'z' ? std::uint8_t(c - 32) : c; };
    return upper(bytes[0]) == 'G' && upper(bytes[1]) == 'I' && upper(bytes[2]) == 'F';
}

// Skips data sub-blocks up to and including the terminator (or the end of the stream).
void SkipSubBlocks(TStream& stream)
{
    std::uint8_t size;
    while (stream.ReadByte(size) && size != 0) stream.Skip(size);
}

}  // namespace

void TGIFImage::ReadFrom(TStream& stream)
{
    WithProgress(this, "Loading...", [&] {
        Clear();
        std::int64_t start = stream.Position();
        try {
            fHeader->ReadFrom(stream);
            fImages->ReadFrom(stream, this);
            FitScreenToFrames();
            TGIFTrailer trailer(this);
            trailer.ReadFrom(stream);
        } catch (...) {
            stream.Seek(start);
            throw;
        }
    });
}

void TGIFHeader::ReadFrom(TStream& stream)
{
    std::int64_t start = stream.Position();
    std::uint8_t signature[6];
    stream.ReadChecked(signature, 6);
    if (!IsGIFSignature(signature)) {
        stream.Seek(start + 4);
        stream.ReadChecked(signature, 6);
        if (!IsGIFSignature(signature)) throw GIFException("Invalid GIF signature");
    }
    std::uint8_t descriptor[7];
    stream.ReadChecked(descriptor, 7);
    ScreenWidth = LittleEndian16(descriptor);
    ScreenHeight = LittleEndian16(descriptor + 2);
    PackedFields = descriptor[4];
    BackgroundIndex = descriptor[5];
    AspectRatio = descriptor[6];
    CheckScreenSize();
    if (PackedFields & 0x80)
        fColorMap.LoadFromStream(stream, 2 << (PackedFields & 7));
    else
        fColorMap.ResetColors();
}

void TGIFImageList::ReadFrom(TStream& stream, TGIFImage* image)
{
    std::uint8_t block;
    if (!ReadNonZeroByte(stream, block)) return;
    while (block != 0x3B) {
        stream.Skip(-1);
        if (block != TGIFExtension::Introducer && block != TGIFSubImage::ImageSeparator) {
            image->Warn(this, 1, "Unknown GIF block type");
            return;
        }
        auto frame = std::make_unique<TGIFSubImage>(image);
        frame->ReadFrom(stream);
        Add(std::move(frame));
        if (stream.Size() > 0)
            image->Progress(TGIFProgressStage::Running,
                            int((stream.Position() * 100 + stream.Size() / 2) / stream.Size()), "Loading...");
        if (!ReadNonZeroByte(stream, block)) return;
    }
    stream.Skip(-1);
}

void TGIFSubImage::ReadFrom(TStream& stream)
{
    Clear();
    fExtensions.ReadFrom(stream, this);
    std::uint8_t next;
    if (!stream.ReadByte(next)) return;
    stream.Skip(-1);
    if (next == 0x3B || next == 0x00) return;

    std::uint8_t descriptor[10];
    stream.ReadChecked(descriptor, 10);
    fLeft = LittleEndian16(descriptor + 1);
    fTop = LittleEndian16(descriptor + 3);
    fWidth = LittleEndian16(descriptor + 5);
    fHeight = LittleEndian16(descriptor + 7);
    fPackedFields = descriptor[9];
    if (fWidth == 0 || fHeight == 0) {
        if (fImage) {
            fWidth = fImage->Header().ScreenWidth;
            fHeight = fImage->Header().ScreenHeight;
        }
        Warn(1, "Image exceeds Logical Screen size");
    }
    if (fPackedFields & 0x80) fColorMap.LoadFromStream(stream, 2 << (fPackedFields & 7));
    DecodePixels(stream);
    if (RenderAfterDecode) RenderFrameBitmap(*this);
}

void TGIFExtensionList::ReadFrom(TStream& stream, TGIFSubImage* frame)
{
    std::uint8_t block;
    if (!stream.ReadByte(block)) return;
    while (block != TGIFSubImage::ImageSeparator && block != 0x3B) {
        if (block != TGIFExtension::Introducer) {
            frame->Warn(1, "Invalid extension introducer");
            break;
        }
        std::uint8_t label;
        bool hasLabel = stream.ReadByte(label);
        if (hasLabel) stream.Skip(-1);
        if (hasLabel && !FindExtensionClass(label)) {
            // A block nobody registered: skip it as GIF89a asks and read on.
            frame->Warn(1, "Unknown extension type");
            stream.Skip(1);
            SkipSubBlocks(stream);
        } else {
            const TGIFExtensionClass* cls = ResolveExtensionClass(stream);
            if (!cls) throw GIFException("Unknown extension type");
            stream.Skip(-1);
            std::unique_ptr<TGIFExtension> extension = cls->Create(frame);
            extension->ReadFrom(stream);
            Add(std::move(extension));
        }
        if (!stream.ReadByte(block)) return;
    }
    stream.Skip(-1);
}

void TGIFTrailer::ReadFrom(TStream& stream)
{
    std::uint8_t value;
    if (stream.ReadByte(value) && value != 0x3B) Warn(1, "Invalid Image trailer");
}
