#include "gif/GIFExtension.h"

#include "gif/GIFStream.h"

void TGIFExtension::ReadFrom(TStream& stream)
{
    std::uint8_t head[2];
    stream.ReadChecked(head, 2);
    if (head[0] != GIFExtensionIntroducer) throw GIFException("Invalid extension introducer");
    if (head[1] != ExtensionLabel())
        throw GIFException("Internal error: Extension Instance does not match Extension Label");
    ReadBody(stream);
}

void TGIFExtension::WriteTo(TStream& stream)
{
    const std::uint8_t head[2] = {GIFExtensionIntroducer, ExtensionLabel()};
    stream.Write(head, 2);
    WriteBody(stream);
}

const TGIFExtensionClass* ResolveSubclassSelf(const TGIFExtensionClass* self, TStream&)
{
    return self;
}
