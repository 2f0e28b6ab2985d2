#include "gif/GIFHeader.h"

#include "gif/GIFLimits.h"
#include "gif/GIFReader.h"
#include "gif/GIFStream.h"
#include "gif/GIFWriter.h"

TGIFHeader::TGIFHeader(const TGIFWarningSink* sink, TGIFHeaderOwner* owner)
    : TGIFItem(sink), fOwner(owner), fColorMap(owner)
{
}

int TGIFHeader::RequiredVersion() const
{
    return fColorMap.Sorted() || AspectRatio != 0 ? gv89a : gv87a;
}

void TGIFHeader::CheckScreenSize() const
{
    if (std::uint64_t(ScreenWidth) * ScreenHeight > GIFMaxPixelBytes) throw GIFException("Image is too large");
}

void TGIFHeader::ReadFrom(TStream& stream)
{
    const TGIFScreenDescriptor descriptor = ReadScreenDescriptor(stream);
    ScreenWidth = descriptor.Width;
    ScreenHeight = descriptor.Height;
    PackedFields = descriptor.PackedFields;
    BackgroundIndex = descriptor.BackgroundIndex;
    AspectRatio = descriptor.AspectRatio;
    CheckScreenSize();
    if (PackedFields & 0x80)
        fColorMap.LoadFromStream(stream, ColorTableSize(PackedFields));
    else
        fColorMap.ResetColors();
}

void TGIFHeader::WriteTo(TStream& stream)
{
    const int version = fOwner ? fOwner->FileVersion() : gvUnknown;
    if (version == gvUnknown) throw GIFException("Unsupported GIF version");
    WriteSignature(stream, TGIFVersion(version));
    fOwner->UpdatePackedFields();
    WriteScreenDescriptor(stream, {ScreenWidth, ScreenHeight, PackedFields, BackgroundIndex, AspectRatio});
    if (PackedFields & 0x80) fColorMap.SaveToStream(stream);
}

void TGIFTrailer::ReadFrom(TStream& stream)
{
    std::uint8_t value;
    if (stream.ReadByte(value) && value != GIFTrailerByte) Warn(1, "Invalid Image trailer");
}

void TGIFTrailer::WriteTo(TStream& stream)
{
    WriteTrailer(stream);
}
