#pragma once
// Run-length encoder: emits only pixel codes, clear codes and codes that a
// decoder's table holds as runs of one pixel value, tracking that table and
// its code width exactly. Any GIF decoder reads the result back.
#include <cstdint>
#include <vector>

#include "gif/GIFEncoder.h"

class TRLEEncoder : public TGIFEncoder {
protected:
    void ResetTable() override;
    void EncodeCodes() override;

private:
    void EmitTracked(int code, int value, int length);
    void EncodeRun(int value, int length);

    // The decoder's view: next free code, width limit, codes since the clear.
    int fNext = 0;
    int fSizeLimit = 0;
    int fCodesSinceClear = 0;
    // Previous code emitted: its value and run length (0 when mixed or none).
    int fPrevValue = -1;
    int fPrevLength = 0;
    // Run codes the decoder holds: fRunCodes[value][length] (0 = none).
    std::vector<std::vector<std::uint16_t>> fRunCodes;
};
