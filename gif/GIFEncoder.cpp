#include "gif/GIFEncoder.h"

#include "gif/GIFException.h"
#include "gif/WildcardRuns.h"

void TGIFEncoder::ColorNotInTable()
{
    throw GIFException("Color not in color table");
}

void TGIFEncoder::EmitCode(int code)
{
    PackCode(code);
}

std::vector<int> TGIFEncoder::RowOrder() const
{
    return GIFRowOrder(fHeight, fInterlaced);
}

void TGIFEncoder::EncodeFrame(TStream& stream, int bitsPerPixel, int colorLimit, const std::uint8_t* pixels,
                              bool interlaced, int height, int width, const std::uint8_t* replaced, int replacement)
{
    fReplaced = replaced;
    fReplacement = replacement;
    fColorLimit = colorLimit;
    fBitsPerPixel = bitsPerPixel < 2 ? 2 : bitsPerPixel;
    fPixels = pixels;
    fInterlaced = interlaced;
    fHeight = height;
    fWidth = width;
    stream.WriteByte(std::uint8_t(fBitsPerPixel));

    fInitialCodeSize = fBitsPerPixel + 1;
    fCodeSize = fInitialCodeSize;
    fCodeLimit = (1 << fCodeSize) - 1;
    fClearCode = 1 << fBitsPerPixel;
    fEndCode = fClearCode + 1;
    fFirstFreeCode = fClearCode + 2;
    fBucket = 0;
    fBits = 0;
    fClearFlag = false;

    fWriter = std::make_unique<TGIFWriter>(stream);
    if (pixels && width > 0 && height > 0) EncodeCodes();
    EmitCode(fEndCode);
    fWriter->Finish();
    fWriter.reset();
    stream.WriteByte(0);
}
