#include "gif/GIFExtensionRegistry.h"

#include <iterator>

#include "gif/GIFAppExtensions.h"
#include "gif/GIFExtensions.h"
#include "gif/GIFStream.h"

namespace {

// Searched last entry first.
constexpr const TGIFExtensionClass* kExtensionClasses[] = {
    &TGIFTextExtension::ClassInfo,
    &TGIFGraphicControlExtension::ClassInfo,
    &TGIFCommentExtension::ClassInfo,
    &TGIFApplicationExtension::ClassInfo,
};

}  // namespace

const TGIFExtensionClass* FindExtensionClass(std::uint8_t label)
{
    for (auto it = std::rbegin(kExtensionClasses); it != std::rend(kExtensionClasses); ++it)
        if ((*it)->Label == label) return *it;
    return nullptr;
}

const TGIFExtensionClass* ResolveExtensionClass(TStream& stream)
{
    const std::int64_t start = stream.Position();
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
