#include "gif/GIFImage.h"

#include <algorithm>

#include "gif/GIFReader.h"

// Frame list ----------------------------------------------------------------------

TGIFImageList::TGIFImageList(TGIFImage* image) : TGIFList(image), fImage(image) {}

void TGIFImageList::ReadFrom(TStream& stream, TGIFImage* image)
{
    std::uint8_t block;
    if (!ReadBlockStart(stream, block)) return;
    while (block != GIFTrailerByte) {
        stream.Skip(-1);
        if (block != GIFExtensionIntroducer && block != GIFImageSeparator) {
            Warn(1, "Unknown GIF block type");
            return;
        }
        auto frame = std::make_unique<TGIFSubImage>(image);
        frame->ReadFrom(stream);
        Add(std::move(frame));
        if (stream.Size() > 0 && image)
            image->Progress(TGIFProgressStage::Running,
                            int((stream.Position() * 100 + stream.Size() / 2) / stream.Size()), "Loading...");
        if (!ReadBlockStart(stream, block)) return;
    }
    stream.Skip(-1);
}

void TGIFImageList::WriteTo(TStream& stream)
{
    const int count = Count();
    for (int i = 0; i < count; ++i) {
        fItems[std::size_t(i)]->WriteTo(stream);
        if (fImage) fImage->Progress(TGIFProgressStage::Running, ((i + 1) * 100 + count / 2) / count, "Saving...");
    }
}

// Image -----------------------------------------------------------------------------

TGIFImage::TGIFImage()
    : fHeader(std::make_unique<TGIFHeader>(this, this)), fImages(std::make_unique<TGIFImageList>(this))
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
    fHeader->PackedFields = packed;
}

void TGIFImage::FitScreenToFrames()
{
    for (auto& frame : *fImages) {
        const int right = std::min(frame->Left() + frame->Width(), 0xFFFF);
        const int bottom = std::min(frame->Top() + frame->Height(), 0xFFFF);
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
    UpdatePackedFields();
}

void TGIFImage::ReadFrom(TStream& stream)
{
    WithProgress(this, "Loading...", [&] {
        Clear();
        const std::int64_t start = stream.Position();
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

void TGIFImage::WriteTo(TStream& stream)
{
    WithProgress(this, "Saving...", [&] {
        fHeader->WriteTo(stream);
        fImages->WriteTo(stream);
        TGIFTrailer trailer(this);
        trailer.WriteTo(stream);
    });
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
    const std::vector<std::uint8_t> bytes = ReadWholeFile(path);
    LoadFromBytes(bytes);
}

void TGIFImage::SaveToFile(const std::string& path)
{
    const std::vector<std::uint8_t> bytes = SaveToBytes();
    WriteWholeFile(path, bytes);
}

void TGIFImage::Warn(const TGIFPersistent* sender, int severity, const std::string& message) const
{
    if (WarningHandler) WarningHandler(sender, severity, message);
}

void TGIFImage::Progress(TGIFProgressStage stage, int percent, const std::string& message) const
{
    if (ProgressHandler) ProgressHandler(stage, percent, message);
}

// As the frames' owner --------------------------------------------------------------

int TGIFImage::ScreenWidth() const
{
    return Width();
}

int TGIFImage::ScreenHeight() const
{
    return Height();
}

void TGIFImage::FrameBoundsChanged(const TGIFSubImage& frame)
{
    TGIFHeader& header = *fHeader;
    bool warned = false;
    const int right = std::min(frame.Left() + frame.Width(), 0xFFFF);
    const int bottom = std::min(frame.Top() + frame.Height(), 0xFFFF);
    if (header.ScreenWidth < right) {
        if (header.ScreenWidth > 0) {
            Warn(&frame, 1, "Image width too small for contained frames");
            warned = true;
        }
        header.ScreenWidth = std::uint16_t(right);
    }
    if (header.ScreenHeight < bottom) {
        if (header.ScreenHeight > 0) {
            Warn(&frame, 1, "Image height too small for contained frames");
            warned = true;
        }
        header.ScreenHeight = std::uint16_t(bottom);
    }
    if (warned) Warn(&frame, 1, "Image exceeds Logical Screen size");
    header.CheckScreenSize();
}

void TGIFImage::ReservePixelBytes(std::uint64_t bytes)
{
    fBudget->Reserve(bytes);
    fPixelBytes += bytes;
}

void TGIFImage::ReleasePixelBytes(std::uint64_t bytes)
{
    bytes = std::min(bytes, fPixelBytes);
    fBudget->Release(bytes);
    fPixelBytes -= bytes;
}

void TGIFImage::ShareBudget(TGIFMemoryBudget& budget)
{
    if (fPixelBytes > 0) throw GIFException("Internal error: budget changed while pixels are held");
    fBudget = &budget;
}

int TGIFImage::FrameCompressionMethod() const
{
    return CompressionMethod;
}

void TGIFImage::FrameRead(TGIFSubImage& frame)
{
    if (FrameReadHandler) FrameReadHandler(frame);
}

// As the global color map's owner ---------------------------------------------------

void TGIFImage::ColorMapWarning(const TGIFColorMap& map, int severity, const std::string& message) const
{
    Warn(&map, severity, message);
}

void TGIFImage::CountColorUsage(const TGIFColorMap& map, TGIFUsage& usage) const
{
    for (auto& frame : *fImages)
        if (&frame->EffectiveColorMap() == &map) frame->CountPixelUsage(usage);
}

void TGIFImage::RemapColorPixels(const TGIFColorMap& map, const TGIFTranslation& translation)
{
    for (auto& frame : *fImages)
        if (&frame->EffectiveColorMap() == &map) frame->RemapPixels(translation);
    // The background color moves with its entry.
    if (fHeader->BackgroundIndex < map.EntryCount()) fHeader->BackgroundIndex = translation[fHeader->BackgroundIndex];
}

void TGIFImage::ColorMapChanged(const TGIFColorMap&)
{
    ReleaseRendering();
}

bool TGIFImage::ColorMapInUse(const TGIFColorMap&) const
{
    return !Empty();
}

TGIFImage* ImageOf(const TGIFSubImage& frame)
{
    return dynamic_cast<TGIFImage*>(frame.Owner());
}
