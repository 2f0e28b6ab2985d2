#include "gif/GIFSubImage.h"

#include <algorithm>

#include "gif/GIFImage.h"

TGIFSubImage::TGIFSubImage(TGIFImage* image) : TGIFItem(image), fColorMap(this), fExtensions(image) {}

TGIFSubImage::~TGIFSubImage()
{
    Clear();
}

void TGIFSubImage::SetPixelBytes(std::size_t bytes)
{
    if (fImage) fImage->fPixelBytes = fImage->fPixelBytes - fPixels.size() + bytes;
}

void TGIFSubImage::ReleasePixels()
{
    SetPixelBytes(0);
    std::vector<std::uint8_t>().swap(fPixels);
}

void TGIFSubImage::AllocatePixels()
{
    ReleasePixels();
    std::uint64_t bytes = std::uint64_t(fWidth) * std::uint64_t(fHeight);
    if (bytes == 0) return;
    std::uint64_t total = bytes + (fImage ? fImage->fPixelBytes : 0);
    if (total > GIFMaxPixelBytes) throw GIFException("Image is too large");
    fPixels.assign(std::size_t(bytes), 0);
    if (fImage) fImage->fPixelBytes += bytes;
}

void TGIFSubImage::EnsurePixels()
{
    if (fPixels.empty()) AllocatePixels();
    if (fPixels.empty()) throw GIFException("Image is empty");
}

bool TGIFSubImage::IsEmpty() const
{
    return fPixels.empty() || fWidth == 0 || fHeight == 0;
}

std::uint8_t* TGIFSubImage::ScanLine(int y)
{
    EnsurePixels();
    if (y < 0 || y >= fHeight) throw GIFException("Invalid pixel coordinates");
    return fPixels.data() + std::size_t(y) * std::size_t(fWidth);
}

std::uint8_t TGIFSubImage::Pixel(int x, int y) const
{
    if (x < 0 || x >= fWidth || y < 0 || y >= fHeight || fPixels.empty())
        throw GIFException("Invalid pixel coordinates");
    return fPixels[std::size_t(y) * std::size_t(fWidth) + std::size_t(x)];
}

void TGIFSubImage::SetPixel(int x, int y, std::uint8_t index)
{
    if (x < 0 || x >= fWidth || y < 0 || y >= fHeight) throw GIFException("Invalid pixel coordinates");
    EnsurePixels();
    fPixels[std::size_t(y) * std::size_t(fWidth) + std::size_t(x)] = index;
    ReleaseRendering();
}

TGIFColorMap& TGIFSubImage::EffectiveColorMap()
{
    if (fColorMap.EntryCount() > 0) return fColorMap;
    if (fImage && fImage->GlobalColorMap().EntryCount() > 0) return fImage->GlobalColorMap();
    return fColorMap;
}

const TGIFColorMap& TGIFSubImage::EffectiveColorMap() const
{
    return const_cast<TGIFSubImage*>(this)->EffectiveColorMap();
}

int TGIFSubImage::TransparentIndex() const
{
    return fGraphicControl ? fGraphicControl->TransparentIndex() : 0;
}

void TGIFSubImage::SetLeft(int value)
{
    ChangeBounds(value, fTop, fWidth, fHeight);
}
void TGIFSubImage::SetTop(int value)
{
    ChangeBounds(fLeft, value, fWidth, fHeight);
}
void TGIFSubImage::SetWidth(int value)
{
    ChangeBounds(fLeft, fTop, value, fHeight);
}
void TGIFSubImage::SetHeight(int value)
{
    ChangeBounds(fLeft, fTop, fWidth, value);
}

void TGIFSubImage::ChangeBounds(int left, int top, int width, int height)
{
    auto clamp16 = [](int v) { return std::clamp(v, 0, 0xFFFF); };
    left = clamp16(left), top = clamp16(top), width = clamp16(width), height = clamp16(height);
    bool resized = width != fWidth || height != fHeight;
    fLeft = left, fTop = top, fWidth = width, fHeight = height;
    if (resized) {
        ReleaseRendering();
        ReleasePixels();
        AllocatePixels();
    }
    GrowScreen();
}

void TGIFSubImage::GrowScreen()
{
    if (!fImage) return;
    TGIFHeader& header = fImage->Header();
    bool warned = false;
    int right = std::min(fLeft + fWidth, 0xFFFF), bottom = std::min(fTop + fHeight, 0xFFFF);
    if (header.ScreenWidth < right) {
        if (header.ScreenWidth > 0) {
            Warn(1, "Image width too small for contained frames");
            warned = true;
        }
        header.ScreenWidth = std::uint16_t(right);
    }
    if (header.ScreenHeight < bottom) {
        if (header.ScreenHeight > 0) {
            Warn(1, "Image height too small for contained frames");
            warned = true;
        }
        header.ScreenHeight = std::uint16_t(bottom);
    }
    if (warned) Warn(1, "Image exceeds Logical Screen size");
    header.CheckScreenSize();
}

void TGIFSubImage::Clear()
{
    fExtensions.Clear();
    fColorMap.ResetColors();
    ReleasePixels();
    fHeight = 0;
    fWidth = 0;
    fTransparent = false;
    fGraphicControl = nullptr;
    ReleaseRendering();
}

int TGIFSubImage::RequiredVersion() const
{
    int version = fColorMap.Sorted() ? gv89a : gv87a;
    for (auto& extension : fExtensions) version = std::max(version, extension->RequiredVersion());
    return version;
}

void TGIFSubImage::AttachGraphicControl(TGIFGraphicControlExtension* extension)
{
    if (!fGraphicControl) fGraphicControl = extension;
}

void TGIFSubImage::DetachGraphicControl(TGIFGraphicControlExtension* extension)
{
    if (fGraphicControl == extension) fGraphicControl = nullptr;
}

void TGIFSubImage::UpdateDescriptorFlags()
{
    if (fColorMap.EntryCount() > 0) {
        std::uint8_t flags = 0x80;
        if (fColorMap.Sorted()) flags |= 0x20;
        flags |= std::uint8_t((fColorMap.IndexBits() - 1) & 7);
        fPackedFields = flags;
    } else {
        fPackedFields &= 0x58;
    }
}
