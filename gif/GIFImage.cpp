#include "gif/GIFImage.h"

#include <algorithm>

TGIFImage::TGIFImage() : fHeader(std::make_unique<TGIFHeader>(this)), fImages(std::make_unique<TGIFImageList>(this))
{
    Clear();
}

TGIFImage::~TGIFImage()
{
    StopPainters();
    fImages->Clear();
}

void TGIFImage::SetWidth(int width)
{
    for (auto& frame : *fImages)
        if (width < frame->Left() + frame->Width()) throw GIFException("Image width too small for contained frames");
    width = std::clamp(width, 0, 0xFFFF);
    if (width == fHeader->ScreenWidth) return;
    fHeader->ScreenWidth = std::uint16_t(width);
    ReleaseRendering();
}

void TGIFImage::SetHeight(int height)
{
    for (auto& frame : *fImages)
        if (height < frame->Top() + frame->Height()) throw GIFException("Image height too small for contained frames");
    height = std::clamp(height, 0, 0xFFFF);
    if (height == fHeader->ScreenHeight) return;
    fHeader->ScreenHeight = std::uint16_t(height);
    ReleaseRendering();
}

int TGIFImage::MaxIndexBits() const
{
    int bits = GlobalColorMap().IndexBits();
    for (auto& frame : *fImages) bits = std::max(bits, frame->ColorMap().IndexBits());
    return bits;
}

int TGIFImage::ResolutionBits() const
{
    return MaxIndexBits() - 1;
}

int TGIFImage::FileVersion() const
{
    int version = gvUnknown;
    for (auto& frame : *fImages) {
        version = std::max(version, frame->RequiredVersion());
        if (version >= gv89a) break;
    }
    return version;
}

void TGIFImage::FitScreenToFrames()
{
    for (auto& frame : *fImages) {
        int right = std::min(frame->Left() + frame->Width(), 0xFFFF);
        int bottom = std::min(frame->Top() + frame->Height(), 0xFFFF);
        if (fHeader->ScreenWidth < right) fHeader->ScreenWidth = std::uint16_t(right);
        if (fHeader->ScreenHeight < bottom) fHeader->ScreenHeight = std::uint16_t(bottom);
    }
    fHeader->CheckScreenSize();
}

void TGIFImage::Clear()
{
    StopPainters();
    ReleaseRendering();
    fImages->Clear();
    GlobalColorMap().ResetColors();
    fHeader->ScreenWidth = 0;
    fHeader->ScreenHeight = 0;
    fHeader->UpdatePackedFields();
}

void TGIFImage::Warn(const TGIFPersistent* sender, int severity, const std::string& message) const
{
    if (WarningHandler) WarningHandler(sender, severity, message);
}

void TGIFImage::Progress(TGIFProgressStage stage, int percent, const std::string& message) const
{
    if (ProgressHandler) ProgressHandler(stage, percent, message);
}

void TGIFImage::LoadFromBytes(std::span<const std::uint8_t> bytes)
{
    TMemoryView view(bytes);
    ReadFrom(view);
}

std::vector<std::uint8_t> TGIFImage::SaveToBytes()
{
    TMemoryStream stream;
    WriteTo(stream);
    return stream.TakeBytes();
}

void TGIFImage::LoadFromFile(const std::string& path)
{
    std::vector<std::uint8_t> bytes = ReadWholeFile(path);
    LoadFromBytes(bytes);
}

void TGIFImage::SaveToFile(const std::string& path)
{
    std::vector<std::uint8_t> bytes = SaveToBytes();
    WriteWholeFile(path, bytes);
}
