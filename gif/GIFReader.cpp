#include "gif/GIFReader.h"

#include "gif/GIFException.h"
#include "gif/GIFStream.h"

namespace {

std::uint16_t LittleEndian16(const std::uint8_t* bytes)
{
    return std::uint16_t(bytes[0] | (bytes[1] << 8));
}

bool IsGIFSignature(const std::uint8_t* bytes)
{
    auto upper = [](std::uint8_t c) { return c >= 'a' && c <= 'z' ? std::uint8_t(c - 32) : c; };
    return upper(bytes[0]) == 'G' && upper(bytes[1]) == 'I' && upper(bytes[2]) == 'F';
}

}  // namespace

TGIFScreenDescriptor ReadScreenDescriptor(TStream& stream)
{
    const std::int64_t start = stream.Position();
    std::uint8_t signature[6];
    stream.ReadChecked(signature, 6);
    if (!IsGIFSignature(signature)) {
        stream.Seek(start + 4);
        stream.ReadChecked(signature, 6);
        if (!IsGIFSignature(signature)) throw GIFException("Invalid GIF signature");
    }
    std::uint8_t bytes[7];
    stream.ReadChecked(bytes, 7);
    return {LittleEndian16(bytes), LittleEndian16(bytes + 2), bytes[4], bytes[5], bytes[6]};
}

TGIFImageDescriptor ReadImageDescriptor(TStream& stream)
{
    std::uint8_t bytes[10];
    stream.ReadChecked(bytes, 10);
    return {LittleEndian16(bytes + 1), LittleEndian16(bytes + 3), LittleEndian16(bytes + 5), LittleEndian16(bytes + 7),
            bytes[9]};
}

bool ReadBlockStart(TStream& stream, std::uint8_t& value)
{
    do {
        if (!stream.ReadByte(value)) return false;
    } while (value == 0);
    return true;
}

bool PeekByte(TStream& stream, std::uint8_t& value)
{
    if (!stream.ReadByte(value)) return false;
    stream.Skip(-1);
    return true;
}

void SkipSubBlocks(TStream& stream)
{
    std::uint8_t size;
    while (stream.ReadByte(size) && size != 0) stream.Skip(size);
}
