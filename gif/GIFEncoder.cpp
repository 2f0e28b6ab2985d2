#include "gif/GIFEncoder.h"

#include "gif/GIFException.h"

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
    std::vector<int> rows;
    rows.reserve(std::size_t(fHeight));
    if (!fInterlaced) {
        for (int y = 0; y < fHeight; ++y) rows.push_back(y);
        return rows;
    }
    static const int start[4] = {0, 4, 2, 1}, step[4] = {8, 8, 4, 2};
    for (int pass = 0; pass < 4; ++pass)
        for (int y = start[pass]; y < fHeight; y += step[pass]) rows.push_back(y);
    return rows;
}

void TGIFEncoder::EncodeFrame(TStream& stream, int bitsPerPixel, int colorLimit, const std::uint8_t* pixels,
                              bool interlaced, int height, int width, const std::uint8_t* wildcards, int alternative)
{
    fWildcards = wildcards;
    fAlternative = alternative;
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
