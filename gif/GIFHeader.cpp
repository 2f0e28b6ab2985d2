#include "gif/GIFHeader.h"

#include "gif/GIFImage.h"

TGIFHeader::TGIFHeader(TGIFImage* image) : TGIFItem(image), fColorMap(this) {}

void TGIFHeader::Clear()
{
    fColorMap.ResetColors();
    ScreenWidth = ScreenHeight = 0;
    PackedFields = BackgroundIndex = AspectRatio = 0;
}

void TGIFHeader::Assign(const TGIFHeader& source)
{
    if (&source == this) return;
    fColorMap.Assign(source.fColorMap);
    ScreenWidth = source.ScreenWidth;
    ScreenHeight = source.ScreenHeight;
    PackedFields = source.PackedFields;
    BackgroundIndex = source.BackgroundIndex;
    AspectRatio = source.AspectRatio;
}

void TGIFHeader::AssignColorMap(const TGIFColorMap& source)
{
    Clear();
    fColorMap.Assign(source);
}

int TGIFHeader::RequiredVersion() const
{
    return fColorMap.Sorted() || AspectRatio != 0 ? gv89a : gv87a;
}

TGIFColor TGIFHeader::BackgroundColor()
{
    return fColorMap.ColorAt(BackgroundIndex);
}

void TGIFHeader::UpdatePackedFields()
{
    int maxBits = fImage ? fImage->MaxIndexBits() : fColorMap.IndexBits();
    int resolution = fImage ? fImage->ResolutionBits() : fColorMap.IndexBits() - 1;
    std::uint8_t packed = std::uint8_t((resolution & 7) << 4);
    if (fColorMap.EntryCount() > 0) {
        packed |= 0x80;
        if (fColorMap.Sorted()) packed |= 0x08;
        packed |= std::uint8_t((fColorMap.IndexBits() - 1) & 7);
    } else {
        packed |= std::uint8_t((maxBits - 1) & 7);
    }
    PackedFields = packed;
}

void TGIFHeader::CheckScreenSize() const
{
    if (std::uint64_t(ScreenWidth) * ScreenHeight > GIFMaxPixelBytes) throw GIFException("Image is too large");
}
