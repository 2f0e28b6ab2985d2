#include "gif/GIFImage.h"

#include <algorithm>

TGIFImage::~TGIFImage()
{
    fImages.Clear();
}

void TGIFImage::SetWidth(int width)
{
    for (auto& frame : fImages)
        if (width < frame->Left() + frame->Width()) throw GIFException("Image width too small for contained frames");
    fHeader.ScreenWidth = std::uint16_t(std::clamp(width, 0, 0xFFFF));
}

void TGIFImage::SetHeight(int height)
{
    for (auto& frame : fImages)
        if (height < frame->Top() + frame->Height()) throw GIFException("Image height too small for contained frames");
    fHeader.ScreenHeight = std::uint16_t(std::clamp(height, 0, 0xFFFF));
}

int TGIFImage::MaxIndexBits() const
{
    int bits = GlobalColorMap().IndexBits();
    for (auto& frame : fImages) bits = std::max(bits, frame->ColorMap().IndexBits());
    return bits;
}

int TGIFImage::ResolutionBits() const
{
    return MaxIndexBits() - 1;
}

int TGIFImage::FileVersion() const
{
    int version = gvUnknown;
    for (auto& frame : fImages) {
        version = std::max(version, frame->RequiredVersion());
        if (version >= gv89a) break;
    }
    return version;
}

void TGIFImage::UpdatePackedFields()
{
    const TGIFGlobalColorMap& map = GlobalColorMap();
    std::uint8_t packed = std::uint8_t((ResolutionBits() & 7) << 4);
    if (map.EntryCount() > 0) {
        packed |= 0x80;
        if (map.Sorted()) packed |= 0x08;
        packed |= std::uint8_t((map.IndexBits() - 1) & 7);
    } else {
        packed |= std::uint8_t((MaxIndexBits() - 1) & 7);
    }
    fHeader.PackedFields = packed;
}

void TGIFImage::FitScreenToFrames()
{
    for (auto& frame : fImages) {
        const int right = std::min(frame->Left() + frame->Width(), 0xFFFF);
        const int bottom = std::min(frame->Top() + frame->Height(), 0xFFFF);
        if (fHeader.ScreenWidth < right) fHeader.ScreenWidth = std::uint16_t(right);
        if (fHeader.ScreenHeight < bottom) fHeader.ScreenHeight = std::uint16_t(bottom);
    }
    fHeader.CheckScreenSize();
}

void TGIFImage::Clear()
{
    fImages.Clear();
    GlobalColorMap().ResetColors();
    fHeader.ScreenWidth = 0;
    fHeader.ScreenHeight = 0;
    UpdatePackedFields();
}

const TGIFAppExtNSLoop* TGIFImage::LoopExtension() const
{
    for (auto& frame : fImages)
        if (const auto* loop = frame->Extensions().Find<TGIFAppExtNSLoop>()) return loop;
    return nullptr;
}

std::uint64_t TGIFImage::PixelBytes() const
{
    std::uint64_t bytes = 0;
    for (auto& frame : fImages) bytes += frame->CountedBytes();
    return bytes;
}

void TGIFImage::ShareBudget(TGIFMemoryBudget& budget)
{
    if (PixelBytes() > 0) throw GIFException("Internal error: budget changed while pixels are held");
    fBudget = &budget;
}
