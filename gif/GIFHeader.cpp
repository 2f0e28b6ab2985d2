#include "gif/GIFHeader.h"

#include "gif/GIFFormat.h"
#include "gif/GIFLimits.h"

int TGIFHeader::RequiredVersion() const
{
    return fColorMap.Sorted() || AspectRatio != 0 ? gv89a : gv87a;
}

void TGIFHeader::CheckScreenSize() const
{
    if (std::uint64_t(ScreenWidth) * ScreenHeight > GIFMaxPixelBytes) throw GIFException("Image is too large");
}
