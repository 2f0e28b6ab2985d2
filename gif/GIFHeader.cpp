#include "gif/GIFHeader.h"

#include "gif/GIFFormat.h"
#include "gif/GIFLimits.h"

int TGIFHeader::RequiredVersion() const
{
    return fColorMap.Sorted() || AspectRatio != 0 ? gv89a : gv87a;
}

void TGIFHeader::CheckScreenSize() const
{
    if (std::uint64_t(ScreenWidth) * ScreenHeight > GIFMaxPixelBytes) throw GIFException(ScreenTooLarge(ScreenWidth, ScreenHeight));
}

std::string ScreenTooLarge(int width, int height)
{
    return "Screen of " + std::to_string(width) + " x " + std::to_string(height) + " pixels is too large";
}
