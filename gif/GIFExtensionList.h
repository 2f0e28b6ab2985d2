#pragma once
// The extensions that precede a frame's image, in file order.
#include "gif/GIFExtension.h"
#include "gif/GIFItem.h"

class TGIFExtensionList : public TGIFList<TGIFExtension> {
public:
    // Reads extension blocks up to the byte that starts something else (an
    // image, the trailer) and leaves the stream at it. Blocks of an unknown
    // label are skipped.
    void ReadFrom(TStream& stream);
    // Writes every extension in order.
    void WriteTo(TStream& stream) const;
    // The first extension of the given class, or null.
    template <class E>
    E* Find() const
    {
        for (auto& item : fItems)
            if (auto* found = dynamic_cast<E*>(item.get())) return found;
        return nullptr;
    }
};
