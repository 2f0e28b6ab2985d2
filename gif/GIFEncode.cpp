#include "gif/GIFEncode.h"

#include <algorithm>

#include "gif/GIFWriter.h"
#include "gif/PixelBits.h"
#include "gif/WildcardRuns.h"

namespace {

// Bytes counted with a frame's budget for as long as the object lives.
class TCountedBytes {
public:
    TCountedBytes(TGIFMemoryBudget* budget, std::uint64_t bytes) : fBudget(budget), fBytes(bytes)
    {
        if (fBudget) fBudget->Reserve(fBytes);
    }
    ~TCountedBytes()
    {
        if (fBudget) fBudget->Release(fBytes);
    }
    TCountedBytes(const TCountedBytes&) = delete;
    TCountedBytes& operator=(const TCountedBytes&) = delete;

private:
    TGIFMemoryBudget* fBudget;
    std::uint64_t fBytes;
};

void WriteHeader(TStream& stream, TGIFImage& image)
{
    const int version = image.FileVersion();
    if (version == gvUnknown) throw GIFException("Unsupported GIF version");
    WriteSignature(stream, TGIFVersion(version));
    image.UpdatePackedFields();
    const TGIFHeader& h = image.Header();
    WriteScreenDescriptor(stream, {h.ScreenWidth, h.ScreenHeight, h.PackedFields, h.BackgroundIndex, h.AspectRatio});
    if (h.PackedFields & 0x80) h.ColorMap().SaveToStream(stream);
}

void WriteImage(TStream& stream, TGIFSubImage& frame, const TGIFFrameCoding& coding, const std::uint8_t* transparent)
{
    frame.UpdateDescriptorFlags();
    WriteImageDescriptor(stream, {std::uint16_t(frame.Left()), std::uint16_t(frame.Top()), std::uint16_t(frame.Width()),
                                  std::uint16_t(frame.Height()), frame.PackedFields()});
    frame.ColorMap().SaveToStream(stream);
    EncodePixels(stream, frame, coding, transparent);
}

}  // namespace

TGIFFrameCoding FrameCoding(const TGIFImage& image)
{
    return {image.MaxIndexBits(), image.Compression};
}

void WriteGIF(TStream& stream, TGIFImage& image)
{
    WriteHeader(stream, image);
    const TGIFFrameCoding coding = FrameCoding(image);
    for (auto& frame : image.Images()) WriteFrame(stream, *frame, coding);
    WriteTrailer(stream);
}

void WriteFrame(TStream& stream, TGIFSubImage& frame, const TGIFFrameCoding& coding)
{
    TGIFExtensionList& extensions = frame.Extensions();
    TGIFGraphicControlExtension* control = frame.GraphicControl();
    if (frame.IsEmpty() || !frame.HasWildcards() || !frame.Transparent()) {
        extensions.WriteTo(stream);
        if (!frame.IsEmpty()) WriteImage(stream, frame, coding, nullptr);
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
    const std::uint8_t t = std::uint8_t(frame.TransparentIndex());
    const int width = frame.Width(), height = frame.Height();
    TCountedBytes counted(frame.Budget(), (frame.PixelsSize() + 7) / 8);
    const TTransparentRuns runs =
        TransparentWildcards(frame.Pixels(), frame.Wildcards(), width, height, frame.IsInterlaced(), t);
    const std::vector<std::uint8_t>& marks = runs.Marks;
    const bool needed = runs.TransparentShown;
    TGIFColorMap& map = frame.ColorMap();
    const int count = map.EntryCount();
    const bool dropEntry = !needed && count > 1 && t == count - 1;
    // Runs `write` with the frame set up for the plain way.
    auto asPlain = [&](auto write) {
        if (!needed) control->SetTransparentFlag(false);
        if (dropEntry) map.SetEntryCount(count - 1);
        auto restore = [&] {
            if (!needed) control->SetTransparentFlag(true);
            if (dropEntry) map.SetEntryCount(count);
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
            extensions.WriteTo(to);
            WriteImage(to, frame, coding, marks.data());
        } else {
            asPlain([&] {
                extensions.WriteTo(to);
                WriteImage(to, frame, coding, nullptr);
            });
        }
    };
    bool tryMixed = !marks.empty(), tryPlain = true;
    constexpr std::size_t kSample = 16384;
    if (tryMixed && frame.PixelsSize() > 2 * kSample) {
        const int rows =
            int(std::min<std::size_t>(std::size_t(height), (kSample + std::size_t(width) - 1) / std::size_t(width)));
        TMemoryStream mixed, plain;
        EncodePixels(mixed, frame, coding, marks.data(), rows);
        asPlain([&] { EncodePixels(plain, frame, coding, nullptr, rows); });
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

void EncodePixels(TStream& stream, const TGIFSubImage& frame, const TGIFFrameCoding& coding,
                  const std::uint8_t* transparent, int rows)
{
    if (rows < 0) rows = frame.Height();
    const TGIFColorMap& map = frame.ColorMap();
    int bitsPerPixel, colorLimit;
    if (map.EntryCount() > 0) {
        bitsPerPixel = map.IndexBits();
        colorLimit = map.EntryCount();
    } else {
        bitsPerPixel = coding.MaxIndexBits;
        colorLimit = 1 << bitsPerPixel;
    }
    // Codes start as narrow as the largest index written allows, which the
    // table's size may exceed.
    unsigned written = OrOfBytes(frame.Pixels(), std::size_t(rows) * std::size_t(frame.Width()));
    if (transparent) written |= unsigned(frame.TransparentIndex());
    int needed = 1;
    while (needed < 8 && (written >> needed) != 0) ++needed;
    bitsPerPixel = std::min(bitsPerPixel, needed);
    WriteImageData(stream, coding.Compression, bitsPerPixel, colorLimit, frame.Pixels(),
                   frame.IsInterlaced() && rows == frame.Height(), rows, frame.Width(), transparent,
                   frame.TransparentIndex());
}

void TGIFImage::WriteTo(TStream& stream)
{
    WriteGIF(stream, *this);
}

std::vector<std::uint8_t> TGIFImage::SaveToBytes()
{
    TMemoryStream stream;
    WriteTo(stream);
    return stream.TakeBytes();
}

void TGIFImage::SaveToFile(const std::string& path)
{
    const std::vector<std::uint8_t> bytes = SaveToBytes();
    WriteWholeFile(path, bytes);
}
