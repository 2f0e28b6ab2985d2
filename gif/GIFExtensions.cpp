#include "gif/GIFExtensions.h"

#include <algorithm>
#include <cstring>

#include "gif/GIFImage.h"

namespace {

template <class E>
std::unique_ptr<TGIFExtension> CreateExtension(TGIFSubImage* frame)
{
    return std::make_unique<E>(frame);
}

const TGIFExtensionClass* ResolveApplicationSubclass(const TGIFExtensionClass* self, TStream& stream)
{
    std::int64_t start = stream.Position();
    std::uint8_t size;
    if (!stream.ReadByte(size)) return nullptr;
    if (size == 10) {
        std::uint8_t bytes[10];
        if (stream.Read(bytes, 10) != 10) return nullptr;
        return &TGIFUnknownAppExtension::ClassInfo;
    }
    if (size == 11) {
        TGIFAppIdentifier identifier;
        if (stream.Read(identifier.data(), 11) == 11) {
            const TGIFExtensionClass* cls = FindAppExtensionClass(identifier);
            return cls ? cls : &TGIFUnknownAppExtension::ClassInfo;
        }
    }
    stream.Seek(start);
    return self;
}

void SkipBytes(TStream& stream, std::int64_t count)
{
    if (count > 0) stream.Skip(count);
}

}  // namespace

const TGIFExtensionClass TGIFGraphicControlExtension::ClassInfo{
    "TGIFGraphicControlExtension", 0xF9, &CreateExtension<TGIFGraphicControlExtension>, &ResolveSubclassSelf};
const TGIFExtensionClass TGIFTextExtension::ClassInfo{"TGIFTextExtension", 0x01, &CreateExtension<TGIFTextExtension>,
                                                      &ResolveSubclassSelf};
const TGIFExtensionClass TGIFCommentExtension::ClassInfo{"TGIFCommentExtension", 0xFE,
                                                         &CreateExtension<TGIFCommentExtension>, &ResolveSubclassSelf};
const TGIFExtensionClass TGIFApplicationExtension::ClassInfo{
    "TGIFApplicationExtension", 0xFF, &CreateExtension<TGIFApplicationExtension>, &ResolveApplicationSubclass};
const TGIFExtensionClass TGIFUnknownAppExtension::ClassInfo{
    "TGIFUnknownAppExtension", 0xFF, &CreateExtension<TGIFUnknownAppExtension>, &ResolveApplicationSubclass};
const TGIFExtensionClass TGIFAppExtNSLoop::ClassInfo{"TGIFAppExtNSLoop", 0xFF, &CreateExtension<TGIFAppExtNSLoop>,
                                                     &ResolveApplicationSubclass};

// Graphic control ---------------------------------------------------------------

TGIFGraphicControlExtension::TGIFGraphicControlExtension(TGIFSubImage* frame) : TGIFExtension(frame)
{
    if (fFrame) fFrame->AttachGraphicControl(this);
}

TGIFGraphicControlExtension::~TGIFGraphicControlExtension()
{
    if (!fFrame) return;
    if (TransparentFlag()) fFrame->SetTransparentMark(false);
    fFrame->DetachGraphicControl(this);
}

void TGIFGraphicControlExtension::SetTransparentFlag(bool on)
{
    fRecord[1] = std::uint8_t(on ? fRecord[1] | 1 : fRecord[1] & ~1);
    if (fFrame) fFrame->SetTransparentMark(on);
}

void TGIFGraphicControlExtension::SetWaitForInput(bool on)
{
    fRecord[1] = std::uint8_t(on ? fRecord[1] | 2 : fRecord[1] & ~2);
}

void TGIFGraphicControlExtension::SetDisposalMethod(int method)
{
    fRecord[1] = std::uint8_t((fRecord[1] & ~0x1C) | ((method & 7) << 2));
}

void TGIFGraphicControlExtension::SetDelayTime(int hundredths)
{
    fRecord[2] = std::uint8_t(hundredths);
    fRecord[3] = std::uint8_t(hundredths >> 8);
}

void TGIFGraphicControlExtension::SetTransparentIndex(int index)
{
    if (fFrame) {
        int count = fFrame->EffectiveColorMap().EntryCount();
        if (count > 0 && (index < 0 || index >= count)) {
            Warn(1, "Invalid color index");
            index = 0;
        }
    }
    fRecord[4] = std::uint8_t(index);
}

void TGIFGraphicControlExtension::ReadBody(TStream& stream)
{
    if (stream.Read(fRecord.data(), 6) < 6) {
        Warn(1, "Premature end of data");
        return;
    }
    if ((fRecord[1] & 1) && fFrame) fFrame->SetTransparentMark(true);
}

void TGIFGraphicControlExtension::WriteBody(TStream& stream)
{
    stream.Write(fRecord.data(), 6);
}

// Lines of text and comment extensions -------------------------------------------

void ReadLines(TStream& stream, std::vector<std::string>& lines)
{
    lines.clear();
    std::uint8_t size;
    char data[255];
    while (stream.ReadByte(size) && size != 0) {
        stream.ReadChecked(data, size);
        std::size_t length = std::find(data, data + size, '\0') - data;
        lines.emplace_back(data, length);
    }
}

void WriteLines(TStream& stream, const std::vector<std::string>& lines)
{
    for (const std::string& line : lines) {
        for (std::size_t at = 0; at < line.size(); at += 255) {
            std::size_t piece = std::min<std::size_t>(255, line.size() - at);
            stream.WriteByte(std::uint8_t(piece));
            stream.Write(line.data() + at, piece);
        }
    }
    stream.WriteByte(0);
}

void TGIFTextExtension::ReadBody(TStream& stream)
{
    stream.ReadChecked(Record.data(), Record.size());
    ReadLines(stream, Lines);
}

void TGIFTextExtension::WriteBody(TStream& stream)
{
    stream.Write(Record.data(), Record.size());
    WriteLines(stream, Lines);
}

void TGIFCommentExtension::ReadBody(TStream& stream)
{
    ReadLines(stream, Lines);
}

void TGIFCommentExtension::WriteBody(TStream& stream)
{
    WriteLines(stream, Lines);
}

// Application extensions -----------------------------------------------------------

void TGIFApplicationExtension::ReadBody(TStream& stream)
{
    std::uint8_t size;
    stream.ReadChecked(&size, 1);
    if (size < 10) throw GIFException("Unsupported Application Extension block size");
    if (size == 10) {
        AppIdentifier.fill(0);
        stream.ReadChecked(AppIdentifier.data(), 10);
    } else {
        stream.ReadChecked(AppIdentifier.data(), 11);
        SkipBytes(stream, size - 11);
    }
    ReadPayload(stream);
}

void TGIFApplicationExtension::WriteBody(TStream& stream)
{
    stream.WriteByte(11);
    stream.Write(AppIdentifier.data(), 11);
    WritePayload(stream);
}

void TGIFApplicationExtension::ReadPayload(TStream&)
{
    throw GIFException("Unsupported Application Extension block size");
}

void TGIFApplicationExtension::WritePayload(TStream& stream)
{
    stream.WriteByte(0);
}

void TGIFUnknownAppExtension::ReadPayload(TStream& stream)
{
    Blocks.clear();
    std::uint8_t size;
    while (stream.ReadByte(size) && size != 0) {
        std::vector<std::uint8_t> block(size);
        stream.ReadChecked(block.data(), size);
        Blocks.push_back(std::move(block));
    }
}

void TGIFUnknownAppExtension::WritePayload(TStream& stream)
{
    for (const auto& block : Blocks) {
        std::size_t size = std::min<std::size_t>(block.size(), 255);
        if (size == 0) continue;
        stream.WriteByte(std::uint8_t(size));
        stream.Write(block.data(), size);
    }
    stream.WriteByte(0);
}

TGIFAppExtNSLoop::TGIFAppExtNSLoop(TGIFSubImage* frame) : TGIFApplicationExtension(frame)
{
    AppIdentifier = MakeAppIdentifier("NETSCAPE2.0");
}

void TGIFAppExtNSLoop::ReadPayload(TStream& stream)
{
    std::uint8_t size;
    while (stream.ReadByte(size) && size != 0) {
        std::uint8_t id;
        stream.ReadChecked(&id, 1);
        if ((id & 7) == 1) {
            if (size < 3) throw GIFException("Invalid GIF data");
            std::uint8_t bytes[2];
            stream.ReadChecked(bytes, 2);
            LoopCount = std::uint16_t(bytes[0] | (bytes[1] << 8));
            SkipBytes(stream, size - 3);
        } else if ((id & 7) == 2) {
            if (size < 5) throw GIFException("Invalid GIF data");
            std::uint8_t bytes[4];
            stream.ReadChecked(bytes, 4);
            BufferingSize = std::uint32_t(bytes[0]) | (std::uint32_t(bytes[1]) << 8) | (std::uint32_t(bytes[2]) << 16) |
                            (std::uint32_t(bytes[3]) << 24);
            SkipBytes(stream, size - 5);
        } else {
            SkipBytes(stream, size - 1);
        }
    }
}

void TGIFAppExtNSLoop::WritePayload(TStream& stream)
{
    const std::uint8_t loop[5] = {3, 1, std::uint8_t(LoopCount), std::uint8_t(LoopCount >> 8), 0};
    stream.Write(loop, 4);
    if (BufferingSize != 0) {
        const std::uint8_t buffering[6] = {5,
                                           2,
                                           std::uint8_t(BufferingSize),
                                           std::uint8_t(BufferingSize >> 8),
                                           std::uint8_t(BufferingSize >> 16),
                                           std::uint8_t(BufferingSize >> 24)};
        stream.Write(buffering, 6);
    }
    stream.WriteByte(0);
}
