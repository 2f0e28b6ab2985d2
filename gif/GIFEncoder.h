#pragma once
// Base of the image data encoders: writes the minimum code size, packs codes
// least significant bit first into sub-blocks, and walks the pixels in file
// order (interlaced passes when asked).
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "gif/GIFSubBlockWriter.h"

class TGIFEncoder {
public:
    virtual ~TGIFEncoder() = default;

    // Writes one frame's image data: code size byte, sub-blocks, terminator.
    // A pixel not below colorLimit raises "Color not in color table". The
    // pixels marked in `replaced` (one bit per pixel, least significant
    // first) are written as `replacement`.
    void EncodeFrame(TStream& stream, int bitsPerPixel, int colorLimit, const std::uint8_t* pixels, bool interlaced,
                     int height, int width, const std::uint8_t* replaced = nullptr, int replacement = 0);

protected:
    virtual void EmitCode(int code);
    virtual void ResetTable() = 0;
    virtual void EncodeCodes() = 0;

    // Packs one code of fCodeSize bits.
    void PackCode(int code)
    {
        fBucket |= std::uint64_t(code) << fBits;
        fBits += fCodeSize;
        while (fBits >= 8) {
            fWriter->PutByte(std::uint8_t(fBucket));
            fBucket >>= 8;
            fBits -= 8;
        }
        if (code == fEndCode && fBits > 0) {
            fWriter->PutByte(std::uint8_t(fBucket));
            fBucket = 0;
            fBits = 0;
        }
    }
    bool Replaced(std::size_t at) const { return fReplaced && (fReplaced[at >> 3] >> (at & 7)) & 1; }
    // Row indices in file order (natural, or the four interlaced passes).
    std::vector<int> RowOrder() const;
    [[noreturn]] static void ColorNotInTable();

    int fColorLimit = 0;
    int fBitsPerPixel = 0;
    int fWidth = 0, fHeight = 0;
    bool fInterlaced = false;
    const std::uint8_t* fPixels = nullptr;
    const std::uint8_t* fReplaced = nullptr;
    int fReplacement = 0;
    std::unique_ptr<TGIFWriter> fWriter;
    std::uint64_t fBucket = 0;
    int fBits = 0;
    bool fClearFlag = false;
    int fCodeSize = 0, fInitialCodeSize = 0;
    int fCodeLimit = 0;
    int fClearCode = 0, fEndCode = 0, fFirstFreeCode = 0;
};
