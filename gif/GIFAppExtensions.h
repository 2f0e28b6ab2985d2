#pragma once
// Application extensions (label 0xFF): the 11-byte identifier, the classes
// (unknown ones kept verbatim, the NETSCAPE2.0 loop), and the registry that
// maps an identifier to its class.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "gif/GIFExtension.h"

// 8-byte application identifier and 3-byte authentication code.
using TGIFAppIdentifier = std::array<std::uint8_t, 11>;

constexpr TGIFAppIdentifier MakeAppIdentifier(const char (&text)[12])
{
    TGIFAppIdentifier identifier{};
    for (std::size_t i = 0; i < identifier.size(); ++i) identifier[i] = std::uint8_t(text[i]);
    return identifier;
}

// The class registered for an identifier ("NETSCAPE2.0", "ANIMEXTS1.0"), or null.
const TGIFExtensionClass* FindAppExtensionClass(const TGIFAppIdentifier& identifier);

// The identifier, then a payload read and written by the subclass.
class TGIFApplicationExtension : public TGIFExtension {
public:
    static const TGIFExtensionClass ClassInfo;  // label 0xFF
    const TGIFExtensionClass& Class() const override { return ClassInfo; }
    TGIFAppIdentifier AppIdentifier{};
    std::string AppIdentifierText() const { return std::string(AppIdentifier.begin(), AppIdentifier.end()); }

    // The base class has no payload: "Unsupported Application Extension block size".
    virtual void ReadPayload(TStream& stream);
    // The base class writes only the terminator.
    virtual void WritePayload(TStream& stream);

protected:
    void ReadBody(TStream& stream) override;
    void WriteBody(TStream& stream) override;
};

// An application extension nobody registered: its sub-blocks kept verbatim.
class TGIFUnknownAppExtension : public TGIFApplicationExtension {
public:
    static const TGIFExtensionClass ClassInfo;
    const TGIFExtensionClass& Class() const override { return ClassInfo; }
    // The data sub-blocks in order (each 1..255 bytes).
    std::vector<std::vector<std::uint8_t>> Blocks;
    void ReadPayload(TStream& stream) override;
    void WritePayload(TStream& stream) override;
};

// NETSCAPE2.0 (and ANIMEXTS1.0): loop count and buffering size.
class TGIFAppExtNSLoop : public TGIFApplicationExtension {
public:
    static const TGIFExtensionClass ClassInfo;
    TGIFAppExtNSLoop();
    const TGIFExtensionClass& Class() const override { return ClassInfo; }
    std::uint16_t LoopCount = 0;      // 0 = forever
    std::uint32_t BufferingSize = 0;  // written only when not 0
    void ReadPayload(TStream& stream) override;
    void WritePayload(TStream& stream) override;
};
