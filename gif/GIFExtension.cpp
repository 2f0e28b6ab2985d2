#include "gif/GIFExtension.h"

#include <cstring>
#include <vector>

#include "gif/GIFExtensions.h"
#include "gif/GIFImage.h"

TGIFExtension::TGIFExtension(TGIFSubImage* frame) : TGIFItem(frame ? frame->Image() : nullptr), fFrame(frame) {}

void TGIFExtension::ReadFrom(TStream& stream)
{
    std::uint8_t head[2];
    stream.ReadChecked(head, 2);
    if (head[0] != Introducer) throw GIFException("Invalid extension introducer");
    if (head[1] != ExtensionLabel())
        throw GIFException("Internal error: Extension Instance does not match Extension Label");
    ReadBody(stream);
}

void TGIFExtension::WriteTo(TStream& stream)
{
    const std::uint8_t head[2] = {Introducer, ExtensionLabel()};
    stream.Write(head, 2);
    WriteBody(stream);
}

const TGIFExtensionClass* ResolveSubclassSelf(const TGIFExtensionClass* self, TStream&)
{
    return self;
}

// Registries ------------------------------------------------------------------

namespace {

struct TAppEntry {
    TGIFAppIdentifier Identifier;
    const TGIFExtensionClass* Class;
};

std::vector<const TGIFExtensionClass*>& ExtensionRegistry()
{
    static std::vector<const TGIFExtensionClass*> registry{
        &TGIFTextExtension::ClassInfo,
        &TGIFGraphicControlExtension::ClassInfo,
        &TGIFCommentExtension::ClassInfo,
        &TGIFApplicationExtension::ClassInfo,
    };
    return registry;
}

std::vector<TAppEntry>& AppExtensionRegistry()
{
    static std::vector<TAppEntry> registry{
        {MakeAppIdentifier("NETSCAPE2.0"), &TGIFAppExtNSLoop::ClassInfo},
        {MakeAppIdentifier("ANIMEXTS1.0"), &TGIFAppExtNSLoop::ClassInfo},
    };
    return registry;
}

}  // namespace

TGIFAppIdentifier MakeAppIdentifier(const char (&text)[12])
{
    TGIFAppIdentifier identifier{};
    std::memcpy(identifier.data(), text, 11);
    return identifier;
}

void RegisterExtensionClass(const TGIFExtensionClass& cls)
{
    ExtensionRegistry().push_back(&cls);
}

const TGIFExtensionClass* FindExtensionClass(std::uint8_t label)
{
    auto& registry = ExtensionRegistry();
    for (auto it = registry.rbegin(); it != registry.rend(); ++it)
        if ((*it)->Label == label) return *it;
    return nullptr;
}

void RegisterAppExtensionClass(const TGIFAppIdentifier& identifier, const TGIFExtensionClass& cls)
{
    AppExtensionRegistry().push_back({identifier, &cls});
}

const TGIFExtensionClass* FindAppExtensionClass(const TGIFAppIdentifier& identifier)
{
    auto& registry = AppExtensionRegistry();
    for (auto it = registry.rbegin(); it != registry.rend(); ++it)
        if (it->Identifier == identifier) return it->Class;
    return nullptr;
}

const TGIFExtensionClass* ResolveExtensionClass(TStream& stream)
{
    std::int64_t start = stream.Position();
    std::uint8_t label;
    if (!stream.ReadByte(label)) return nullptr;
    const TGIFExtensionClass* cls = FindExtensionClass(label);
    // Each refinement reads on from where the previous one left the stream;
    // at most a few steps, since every class answers itself eventually.
    for (int step = 0; cls && step < 16; ++step) {
        const TGIFExtensionClass* refined = cls->ResolveSubclass(cls, stream);
        if (refined == cls) break;
        cls = refined;
    }
    stream.Seek(start);
    return cls;
}
