#include "gif/TransparentIndex.h"

#include <cstring>

bool ContainsIndex(const std::uint8_t* buffer, std::uint8_t value, std::size_t length)
{
    return buffer && std::memchr(buffer, value, length) != nullptr;
}

bool CanAddTransparentIndex(const TGIFImage& image, const TGIFSubImage& frame)
{
    if (frame.ColorMap().EntryCount() > 0) return frame.ColorMap().EntryCount() < 256;
    if (image.GlobalColorMap().EntryCount() > 0) return image.GlobalColorMap().EntryCount() < 256;
    return false;
}

int ChooseTransparentIndex(TGIFImage& image, TGIFSubImage& frame)
{
    if (frame.ColorMap().EntryCount() > 0) return frame.ColorMap().AppendColor(GIFColor(0, 0, 0));
    for (auto& other : image.Images()) {
        if (other.get() == &frame || !other->Transparent() || other->ColorMap().EntryCount() > 0) continue;
        // Another frame's index is only taken when this frame shows no pixel of it.
        const int index = other->TransparentIndex();
        if (!ContainsIndex(frame.Pixels(), std::uint8_t(index), frame.PixelsSize())) return index;
        break;
    }
    return image.GlobalColorMap().AppendColor(GIFColor(0, 0, 0));
}
