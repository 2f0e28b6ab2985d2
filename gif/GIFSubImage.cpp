#include "gif/GIFSubImage.h"

#include <algorithm>
#include <cstring>

#include "gif/PixelBits.h"

TGIFSubImage::~TGIFSubImage()
{
    Clear();
}

// Pixels --------------------------------------------------------------------------

void TGIFSubImage::ReleasePixels()
{
    ReleaseWildcards();
    if (fBudget && fPixelsCounted) fBudget->Release(fPixelsCounted);
    fPixelsCounted = 0;
    std::vector<std::uint8_t>().swap(fPixels);
}

void TGIFSubImage::ReleaseWildcards()
{
    if (fBudget && fWildcardsCounted) fBudget->Release(fWildcardsCounted);
    fWildcardsCounted = 0;
    std::vector<std::uint8_t>().swap(fWildcards);
}

void TGIFSubImage::SetWildcard(std::size_t index)
{
    SetBit(WildcardBits(), index);
}

std::uint8_t* TGIFSubImage::WildcardBits()
{
    if (fWildcards.empty()) {
        const std::size_t bytes = (fPixels.size() + 7) / 8;
        if (fBudget) fBudget->Reserve(bytes);
        try {
            fWildcards.assign(bytes, 0);
        } catch (...) {
            if (fBudget) fBudget->Release(bytes);
            throw;
        }
        fWildcardsCounted = bytes;
    }
    return fWildcards.data();
}

void TGIFSubImage::CropTo(int left, int top, int width, int height)
{
    const std::size_t oldWidth = std::size_t(fWidth), w = std::size_t(width);
    std::vector<std::uint8_t> bits;
    if (!fWildcards.empty()) bits.swap(fWildcards);  // its memory stays counted until released below
    // Rows move towards the start: each lands at or before where it was.
    for (std::size_t y = 0; y < std::size_t(height); ++y) {
        const std::size_t from = (y + std::size_t(top)) * oldWidth + std::size_t(left), to = y * w;
        std::memmove(fPixels.data() + to, fPixels.data() + from, w);
        if (!bits.empty()) MoveBits(bits.data(), from, to, w);
    }
    const std::size_t kept = w * std::size_t(height);
    // Same memory, fewer pixels: the buffers keep their capacity (and count).
    fPixels.resize(kept);
    if (!bits.empty()) {
        bits.resize((kept + 7) / 8);
        fWildcards.swap(bits);
    }
    fLeft += left;
    fTop += top;
    fWidth = width;
    fHeight = height;
}

void TGIFSubImage::AllocatePixels()
{
    ReleasePixels();
    const std::uint64_t bytes = std::uint64_t(fWidth) * std::uint64_t(fHeight);
    if (bytes == 0) return;
    if (fBudget)
        fBudget->Reserve(bytes);
    else if (bytes > GIFMaxPixelBytes)
        throw GIFException("Image is too large");
    try {
        fPixels.assign(std::size_t(bytes), 0);
    } catch (...) {
        if (fBudget) fBudget->Release(bytes);
        throw;
    }
    if (fBudget) fPixelsCounted = bytes;
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
}

void TGIFSubImage::CountPixelUsage(TGIFUsage& usage) const
{
    std::array<std::uint64_t, 256> counts{};
    CountValues(fPixels.data(), fPixels.size(), counts);
    for (std::size_t i = 0; i < 256; ++i) usage[i].Count += std::int32_t(counts[i]);
}

void TGIFSubImage::RemapPixels(const TGIFTranslation& translation)
{
    for (std::uint8_t& pixel : fPixels) pixel = translation[pixel];
    if (TGIFGraphicControlExtension* control = GraphicControl(); control && control->TransparencyMark())
        control->StoreTransparentIndex(translation[std::size_t(control->TransparentIndex())]);
}

// Colors and extensions ----------------------------------------------------------

TGIFColorMap& TGIFSubImage::EffectiveColorMap(TGIFColorMap& global)
{
    if (fColorMap.EntryCount() > 0) return fColorMap;
    if (global.EntryCount() > 0) return global;
    return fColorMap;
}

const TGIFColorMap& TGIFSubImage::EffectiveColorMap(const TGIFColorMap& global) const
{
    return const_cast<TGIFSubImage*>(this)->EffectiveColorMap(const_cast<TGIFColorMap&>(global));
}

bool TGIFSubImage::Transparent() const
{
    const TGIFGraphicControlExtension* control = GraphicControl();
    return control && control->TransparencyMark();
}

int TGIFSubImage::TransparentIndex() const
{
    const TGIFGraphicControlExtension* control = GraphicControl();
    return control ? control->TransparentIndex() : 0;
}

int TGIFSubImage::ShownTransparentIndex() const
{
    const TGIFGraphicControlExtension* control = GraphicControl();
    return control && control->TransparencyMark() ? control->TransparentIndex() : -1;
}

int TGIFSubImage::DisposalMethod() const
{
    const TGIFGraphicControlExtension* control = GraphicControl();
    return control ? control->DisposalMethod() : 0;
}

TGIFGraphicControlExtension& TGIFSubImage::EnsureGraphicControl()
{
    if (TGIFGraphicControlExtension* existing = GraphicControl()) return *existing;
    auto created = std::make_unique<TGIFGraphicControlExtension>();
    auto* extension = created.get();
    fExtensions.Add(std::move(created));
    return *extension;
}

// Geometry ------------------------------------------------------------------------

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
    const bool resized = width != fWidth || height != fHeight;
    fLeft = left, fTop = top, fWidth = width, fHeight = height;
    if (resized) {
        ReleasePixels();
        AllocatePixels();
    }
}

void TGIFSubImage::SetPlacement(int left, int top, int width, int height)
{
    fLeft = left, fTop = top, fWidth = width, fHeight = height;
}

void TGIFSubImage::Clear()
{
    fExtensions.Clear();
    fColorMap.ResetColors();
    ReleasePixels();
    fHeight = 0;
    fWidth = 0;
}

int TGIFSubImage::RequiredVersion() const
{
    int version = fColorMap.Sorted() ? gv89a : gv87a;
    for (auto& extension : fExtensions) version = std::max(version, extension->RequiredVersion());
    return version;
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
