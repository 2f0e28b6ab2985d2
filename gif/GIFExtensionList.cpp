#include "gif/GIFExtensionList.h"

#include "gif/GIFExtensionRegistry.h"
#include "gif/GIFReader.h"
#include "gif/GIFStream.h"

void TGIFExtensionList::ReadFrom(TStream& stream)
{
    std::uint8_t block;
    if (!stream.ReadByte(block)) return;
    while (block != GIFImageSeparator && block != GIFTrailerByte) {
        if (block != GIFExtensionIntroducer) break;
        std::uint8_t label;
        const bool hasLabel = PeekByte(stream, label);
        if (hasLabel && !FindExtensionClass(label)) {
            // A block nobody registered: skip it as GIF89a asks and read on.
            stream.Skip(1);
            SkipSubBlocks(stream);
        } else {
            const TGIFExtensionClass* cls = ResolveExtensionClass(stream);
            if (!cls) throw GIFException("Unknown extension type");
            stream.Skip(-1);
            std::unique_ptr<TGIFExtension> extension = cls->Create();
            extension->ReadFrom(stream);
            Add(std::move(extension));
        }
        if (!stream.ReadByte(block)) return;
    }
    stream.Skip(-1);
}

void TGIFExtensionList::WriteTo(TStream& stream) const
{
    for (auto& extension : fItems) extension->WriteTo(stream);
}
