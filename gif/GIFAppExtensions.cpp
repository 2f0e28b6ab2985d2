#include "gif/GIFAppExtensions.h"

#include <algorithm>
#include <iterator>

#include "gif/GIFStream.h"

namespace {

struct TAppEntry {
    TGIFAppIdentifier Identifier;
    const TGIFExtensionClass* Class;
};

// The application registry, searched last entry first.
constexpr TAppEntry kAppExtensions[] = {
    {MakeAppIdentifier("NETSCAPE2.0"), &TGIFAppExtNSLoop::ClassInfo},
    {MakeAppIdentifier("ANIMEXTS1.0"), &TGIFAppExtNSLoop::ClassInfo},
};

const TGIFExtensionClass* ResolveApplicationSubclass(const TGIFExtensionClass* self, TStream& stream)
{
    std::int64_t start = stream.Position();
    std::uint8_t size;
    if (!stream.ReadByte(size)) return nullptr;
    // An identifier of 0 to 11 bytes (shorter ones padded with zero bytes).
    if (size <= 11) {
        TGIFAppIdentifier identifier{};
        if (stream.Read(identifier.data(), size) == size) {
            const TGIFExtensionClass* cls = FindAppExtensionClass(identifier);
            return cls ? cls : &TGIFUnknownAppExtension::ClassInfo;
        }
        if (size < 11) return nullptr;
    }
    stream.Seek(start);
    return self;
}

void SkipBytes(TStream& stream, std::int64_t count)
{
    if (count > 0) stream.Skip(count);
}

}  // namespace

// The refined classes answer themselves: the block after the identifier is
// payload, never another identifier.
const TGIFExtensionClass TGIFApplicationExtension::ClassInfo{0xFF, &CreateExtension<TGIFApplicationExtension>,
                                                             &ResolveApplicationSubclass};
const TGIFExtensionClass TGIFUnknownAppExtension::ClassInfo{0xFF, &CreateExtension<TGIFUnknownAppExtension>,
                                                            &ResolveSubclassSelf};
const TGIFExtensionClass TGIFAppExtNSLoop::ClassInfo{0xFF, &CreateExtension<TGIFAppExtNSLoop>, &ResolveSubclassSelf};

const TGIFExtensionClass* FindAppExtensionClass(const TGIFAppIdentifier& identifier)
{
    for (auto it = std::rbegin(kAppExtensions); it != std::rend(kAppExtensions); ++it)
        if (it->Identifier == identifier) return it->Class;
    return nullptr;
}

// Application extensions -----------------------------------------------------------

void TGIFApplicationExtension::ReadBody(TStream& stream)
{
    std::uint8_t size;
    stream.ReadChecked(&size, 1);
    AppIdentifier.fill(0);
    stream.ReadChecked(AppIdentifier.data(), std::min<std::size_t>(size, 11));
    if (size > 11) SkipBytes(stream, size - 11);
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

TGIFAppExtNSLoop::TGIFAppExtNSLoop()
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
