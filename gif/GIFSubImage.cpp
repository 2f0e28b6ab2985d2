#include "gif/GIFSubImage.h"

#include <algorithm>
#include <cstring>

#include "gif/GIFExtensions.h"
#include "gif/GIFLimits.h"
#include "gif/GIFReader.h"
#include "gif/GIFStream.h"
#include "gif/GIFWriter.h"
#include "gif/LZWDecoder.h"
#include "gif/PixelBits.h"
#include "gif/WildcardRuns.h"

TGIFSubImage::TGIFSubImage(TGIFFrameOwner* owner) : TGIFItem(owner), fOwner(owner), fColorMap(this), fExtensions(owner)
{
}

TGIFSubImage::~TGIFSubImage()
{
    Clear();
}

// Pixels --------------------------------------------------------------------------

void TGIFSubImage::ReleasePixels()
{
    ReleaseWildcards();
    if (fOwner && fPixelsCounted) fOwner->ReleasePixelBytes(fPixelsCounted);
    fPixelsCounted = 0;
    std::vector<std::uint8_t>().swap(fPixels);
}

void TGIFSubImage::ReleaseWildcards()
{
    if (fOwner && fWildcardsCounted) fOwner->ReleasePixelBytes(fWildcardsCounted);
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
        if (fOwner) fOwner->ReservePixelBytes(bytes);
        try {
            fWildcards.assign(bytes, 0);
        } catch (...) {
            if (fOwner) fOwner->ReleasePixelBytes(bytes);
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
    ReleaseRendering();
    if (fOwner) fOwner->FrameBoundsChanged(*this);
}

void TGIFSubImage::AllocatePixels()
{
    ReleasePixels();
    const std::uint64_t bytes = std::uint64_t(fWidth) * std::uint64_t(fHeight);
    if (bytes == 0) return;
    if (fOwner)
        fOwner->ReservePixelBytes(bytes);
    else if (bytes > GIFMaxPixelBytes)
        throw GIFException("Image is too large");
    try {
        fPixels.assign(std::size_t(bytes), 0);
    } catch (...) {
        if (fOwner) fOwner->ReleasePixelBytes(bytes);
        throw;
    }
    if (fOwner) fPixelsCounted = bytes;
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

void TGIFSubImage::CountPixelUsage(TGIFUsage& usage) const
{
    std::array<std::uint64_t, 256> counts{};
    CountValues(fPixels.data(), fPixels.size(), counts);
    for (std::size_t i = 0; i < 256; ++i) usage[i].Count += std::int32_t(counts[i]);
}

void TGIFSubImage::RemapPixels(const TGIFTranslation& translation)
{
    for (std::uint8_t& pixel : fPixels) pixel = translation[pixel];
    if (fTransparent && fGraphicControl)
        fGraphicControl->StoreTransparentIndex(translation[std::size_t(fGraphicControl->TransparentIndex())]);
    ReleaseRendering();
}

// Colors and extensions ----------------------------------------------------------

TGIFColorMap& TGIFSubImage::EffectiveColorMap()
{
    if (fColorMap.EntryCount() > 0) return fColorMap;
    if (fOwner && fOwner->GlobalColorMap().EntryCount() > 0) return fOwner->GlobalColorMap();
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

void TGIFSubImage::ColorMapWarning(const TGIFColorMap& map, int severity, const std::string& message) const
{
    if (fSink) fSink->Warn(&map, severity, message);
}

void TGIFSubImage::CountColorUsage(const TGIFColorMap&, TGIFUsage& usage) const
{
    CountPixelUsage(usage);
}

void TGIFSubImage::RemapColorPixels(const TGIFColorMap&, const TGIFTranslation& translation)
{
    RemapPixels(translation);
}

void TGIFSubImage::ColorMapChanged(const TGIFColorMap&)
{
    ReleaseRendering();
}

bool TGIFSubImage::ColorMapInUse(const TGIFColorMap&) const
{
    return true;
}

const TGIFWarningSink* TGIFSubImage::ExtensionWarnings() const
{
    return fSink;
}

int TGIFSubImage::EffectiveColorCount() const
{
    return EffectiveColorMap().EntryCount();
}

void TGIFSubImage::AttachGraphicControl(TGIFGraphicControlExtension* extension)
{
    if (!fGraphicControl) fGraphicControl = extension;
}

void TGIFSubImage::DetachGraphicControl(TGIFGraphicControlExtension* extension)
{
    if (fGraphicControl == extension) fGraphicControl = nullptr;
}

void TGIFSubImage::SetTransparentMark(bool on)
{
    fTransparent = on;
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
        ReleaseRendering();
        ReleasePixels();
        AllocatePixels();
    }
    if (fOwner) fOwner->FrameBoundsChanged(*this);
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

// Reading and writing -------------------------------------------------------------

// Of several graphic control extensions before one image, the last one holds
// (delay, disposal, transparency flag and index alike): the others are dropped.
void TGIFSubImage::KeepLastGraphicControl()
{
    TGIFGraphicControlExtension* last = nullptr;
    int count = 0;
    for (auto& extension : fExtensions)
        if (auto* control = dynamic_cast<TGIFGraphicControlExtension*>(extension.get())) last = control, ++count;
    if (count < 2) return;
    for (int i = fExtensions.Count() - 1; i >= 0; --i)
        if (fExtensions[i] != last && dynamic_cast<TGIFGraphicControlExtension*>(fExtensions[i])) fExtensions.Delete(i);
    fGraphicControl = last;
    fTransparent = last->TransparentFlag();
}

void TGIFSubImage::ReadFrom(TStream& stream)
{
    Clear();
    fExtensions.ReadFrom(stream, this);
    KeepLastGraphicControl();
    std::uint8_t next;
    if (!PeekByte(stream, next)) return;
    if (next == GIFTrailerByte || next == 0x00) return;

    const TGIFImageDescriptor descriptor = ReadImageDescriptor(stream);
    fLeft = descriptor.Left;
    fTop = descriptor.Top;
    fWidth = descriptor.Width;
    fHeight = descriptor.Height;
    fPackedFields = descriptor.PackedFields;
    if (fWidth == 0 || fHeight == 0) {
        if (fOwner) {
            fWidth = fOwner->ScreenWidth();
            fHeight = fOwner->ScreenHeight();
        }
        Warn(1, "Image exceeds Logical Screen size");
    }
    if (fPackedFields & 0x80) fColorMap.LoadFromStream(stream, ColorTableSize(fPackedFields));
    if (fOwner && fOwner->SkipsImageData()) {
        std::uint8_t codeSize;
        if (stream.ReadByte(codeSize)) SkipSubBlocks(stream);
        return;
    }
    DecodePixels(stream);
    if (fOwner) fOwner->FrameRead(*this);
}

void TGIFSubImage::DecodePixels(TStream& stream)
{
    AllocatePixels();
    const std::uint8_t fill = fTransparent ? std::uint8_t(TransparentIndex()) : 0;
    if (fill && !fPixels.empty()) std::memset(fPixels.data(), fill, fPixels.size());
    // The decoder's tables are large: on the heap.
    auto decoder = std::make_unique<TLZWDecoder>(stream, *this);
    decoder->Decode(Pixels(), fPixels.empty() ? 0 : fWidth, fPixels.empty() ? 0 : fHeight, IsInterlaced(), fill);
}

namespace {

// Bytes counted with a frame's owner for as long as the object lives.
class TOwnedBytes {
public:
    TOwnedBytes(TGIFFrameOwner* owner, std::uint64_t bytes) : fOwner(owner), fBytes(bytes)
    {
        if (fOwner) fOwner->ReservePixelBytes(fBytes);
    }
    ~TOwnedBytes()
    {
        if (fOwner) fOwner->ReleasePixelBytes(fBytes);
    }
    TOwnedBytes(const TOwnedBytes&) = delete;
    TOwnedBytes& operator=(const TOwnedBytes&) = delete;

private:
    TGIFFrameOwner* fOwner;
    std::uint64_t fBytes;
};

}  // namespace

void TGIFSubImage::WriteTo(TStream& stream)
{
    if (IsEmpty() || !HasWildcards() || !fTransparent || !fGraphicControl) {
        fExtensions.WriteTo(stream);
        if (!IsEmpty()) WriteImage(stream, nullptr);
        return;
    }
    // Wildcards in long transparent runs are written transparent (see
    // WildcardRuns.h), the others as their own colors ("mixed"). Without
    // transparent runs, or when it comes out shorter, every wildcard is
    // written as its own color ("plain"): then no transparency is needed
    // when no other pixel is transparent, and no table entry for it either
    // when that entry is the last of a local table (which may halve the
    // table). A small frame is written both ways and the shorter kept; a
    // large one is written the way that is shorter over its first rows.
    const std::uint8_t t = std::uint8_t(TransparentIndex());
    TOwnedBytes counted(fOwner, fWildcards.size());
    const TTransparentRuns runs = TransparentWildcards(Pixels(), Wildcards(), fWidth, fHeight, IsInterlaced(), t);
    const std::vector<std::uint8_t>& marks = runs.Marks;
    const bool needed = runs.TransparentShown;
    const int count = fColorMap.EntryCount();
    const bool dropEntry = !needed && count > 1 && t == count - 1;
    // Runs `write` with the frame set up for the plain way.
    auto asPlain = [&](auto write) {
        if (!needed) fGraphicControl->SetTransparentFlag(false);
        if (dropEntry) fColorMap.SetEntryCount(count - 1);
        auto restore = [&] {
            if (!needed) fGraphicControl->SetTransparentFlag(true);
            if (dropEntry) fColorMap.SetEntryCount(count);
        };
        try {
            write();
        } catch (...) {
            restore();
            throw;
        }
        restore();
    };
    auto writeWay = [&](TStream& to, bool mixed) {
        if (mixed) {
            fExtensions.WriteTo(to);
            WriteImage(to, marks.data());
        } else {
            asPlain([&] {
                fExtensions.WriteTo(to);
                WriteImage(to, nullptr);
            });
        }
    };
    bool tryMixed = !marks.empty(), tryPlain = true;
    constexpr std::size_t kSample = 16384;
    if (tryMixed && fPixels.size() > 2 * kSample) {
        const int rows =
            int(std::min<std::size_t>(std::size_t(fHeight), (kSample + std::size_t(fWidth) - 1) / std::size_t(fWidth)));
        TMemoryStream mixed, plain;
        EncodePixels(mixed, marks.data(), rows);
        asPlain([&] { EncodePixels(plain, nullptr, rows); });
        (mixed.Size() <= plain.Size() ? tryPlain : tryMixed) = false;
    }
    if (tryMixed != tryPlain) {
        writeWay(stream, tryMixed);
        return;
    }
    // The candidates stay within what the target may still take.
    const auto* target = dynamic_cast<const TMemoryStream*>(&stream);
    const std::int64_t room = target ? target->Room() : INT64_MAX;
    TMemoryStream mixed, plain;
    mixed.SetLimit(room);
    plain.SetLimit(room);
    bool mixedFits = true, plainFits = true;
    try {
        writeWay(mixed, true);
    } catch (const GIFOutputLimit&) {
        mixedFits = false;
    }
    try {
        writeWay(plain, false);
    } catch (const GIFOutputLimit&) {
        plainFits = false;
    }
    if (!mixedFits && !plainFits) throw GIFOutputLimit();
    const TMemoryStream& shorter = mixedFits && (!plainFits || mixed.Size() <= plain.Size()) ? mixed : plain;
    stream.Write(shorter.Bytes().data(), shorter.Bytes().size());
}

void TGIFSubImage::WriteImage(TStream& stream, const std::uint8_t* transparent)
{
    UpdateDescriptorFlags();
    WriteImageDescriptor(stream, {std::uint16_t(fLeft), std::uint16_t(fTop), std::uint16_t(fWidth),
                                  std::uint16_t(fHeight), fPackedFields});
    fColorMap.SaveToStream(stream);
    EncodePixels(stream, transparent);
}

void TGIFSubImage::EncodePixels(TStream& stream, const std::uint8_t* transparent)
{
    EncodePixels(stream, transparent, fHeight);
}

void TGIFSubImage::EncodePixels(TStream& stream, const std::uint8_t* transparent, int rows)
{
    int bitsPerPixel, colorLimit;
    if (fColorMap.EntryCount() > 0) {
        bitsPerPixel = fColorMap.IndexBits();
        colorLimit = fColorMap.EntryCount();
    } else {
        bitsPerPixel = fOwner ? fOwner->MaxIndexBits() : 0;
        colorLimit = 1 << bitsPerPixel;
    }
    // Codes start as narrow as the largest index written allows, which the
    // table's size may exceed.
    unsigned written = OrOfBytes(fPixels.data(), std::size_t(rows) * std::size_t(fWidth));
    if (transparent) written |= unsigned(TransparentIndex());
    int needed = 1;
    while (needed < 8 && (written >> needed) != 0) ++needed;
    bitsPerPixel = std::min(bitsPerPixel, needed);
    WriteImageData(
        stream, fOwner ? fOwner->FrameCompressionMethod() : 0, bitsPerPixel, colorLimit, Pixels(),
        IsInterlaced() && rows == fHeight, rows, fWidth,
        [this](int severity, const std::string& message) { Warn(severity, message); }, transparent, TransparentIndex());
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
