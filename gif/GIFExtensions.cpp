#include "gif/GIFExtensions.h"

#include <algorithm>

#include "gif/GIFStream.h"

const TGIFExtensionClass TGIFGraphicControlExtension::ClassInfo{0xF9, &CreateExtension<TGIFGraphicControlExtension>,
                                                                &ResolveSubclassSelf};
const TGIFExtensionClass TGIFTextExtension::ClassInfo{0x01, &CreateExtension<TGIFTextExtension>, &ResolveSubclassSelf};
const TGIFExtensionClass TGIFCommentExtension::ClassInfo{0xFE, &CreateExtension<TGIFCommentExtension>,
                                                         &ResolveSubclassSelf};

// Graphic control ---------------------------------------------------------------

void TGIFGraphicControlExtension::SetTransparentFlag(bool on)
{
    fRecord[1] = std::uint8_t(on ? fRecord[1] | 1 : fRecord[1] & ~1);
    fMarked = on;
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

void TGIFGraphicControlExtension::ReadBody(TStream& stream)
{
    if (stream.Read(fRecord.data(), 6) < 6) return;
    if (fRecord[1] & 1) fMarked = true;
}

// Always in the sound form (block size 4, terminator 0), whatever was read:
// a damaged size or terminator would make the following blocks unreadable.
void TGIFGraphicControlExtension::WriteBody(TStream& stream)
{
    const std::uint8_t record[6] = {4, fRecord[1], fRecord[2], fRecord[3], fRecord[4], 0};
    stream.Write(record, 6);
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
    std::array<std::uint8_t, 13> record = Record;
    record[0] = 12;  // the only block size a reader accepts
    stream.Write(record.data(), record.size());
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
