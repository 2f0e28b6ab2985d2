#include "gif/RLEEncoder.h"

#include <algorithm>

void TRLEEncoder::ResetTable()
{
    PackCode(fClearCode);
    fCodeSize = fInitialCodeSize;
    fNext = fClearCode + 2;
    fSizeLimit = 1 << fCodeSize;
    fCodesSinceClear = 0;
    fPrevValue = -1;
    fPrevLength = 0;
    for (auto& codes : fRunCodes) codes.clear();
}

// Emits a code standing for a run of length pixels of value, then updates
// the decoder's table as the decoder will.
void TRLEEncoder::EmitTracked(int code, int value, int length)
{
    PackCode(code);
    if (fCodesSinceClear > 0 && fNext <= 4095) {
        // The decoder adds: previous string + first pixel of this one.
        if (fPrevLength > 0 && fPrevValue == value) {
            auto& codes = fRunCodes[std::size_t(value)];
            const std::size_t runLength = std::size_t(fPrevLength) + 1;
            if (codes.size() <= runLength) codes.resize(runLength + 1, 0);
            if (codes[runLength] == 0) codes[runLength] = std::uint16_t(fNext);
        }
        ++fNext;
        if (fNext >= fSizeLimit && fSizeLimit <= 4095) {
            fSizeLimit *= 2;
            ++fCodeSize;
        }
    }
    ++fCodesSinceClear;
    fPrevValue = value;
    fPrevLength = length;
}

void TRLEEncoder::EncodeRun(int value, int length)
{
    while (length > 0) {
        // Keep the table from filling: start afresh before the last slots.
        if (fNext >= 4094) ResetTable();
        int best = 1, bestCode = value;
        // The code being defined right now continues the previous run by one.
        if (fCodesSinceClear > 0 && fPrevValue == value && fPrevLength > 0 && fPrevLength + 1 <= length &&
            fNext <= 4095) {
            best = fPrevLength + 1;
            bestCode = fNext;
        }
        const auto& codes = fRunCodes[std::size_t(value)];
        for (int l = std::min<int>(length, int(codes.size()) - 1); l > best; --l) {
            if (codes[std::size_t(l)]) {
                best = l;
                bestCode = codes[std::size_t(l)];
                break;
            }
        }
        EmitTracked(bestCode, value, best);
        length -= best;
    }
}

void TRLEEncoder::EncodeCodes()
{
    fRunCodes.assign(256, {});
    ResetTable();
    int runValue = -1, runLength = 0;
    for (int row : RowOrder()) {
        const std::size_t base = std::size_t(row) * std::size_t(fWidth);
        for (int x = 0; x < fWidth; ++x) {
            const int pixel = Replaced(base + std::size_t(x)) ? fReplacement : fPixels[base + std::size_t(x)];
            if (pixel >= fColorLimit) ColorNotInTable();
            if (pixel == runValue) {
                ++runLength;
                continue;
            }
            if (runLength) EncodeRun(runValue, runLength);
            runValue = pixel;
            runLength = 1;
        }
    }
    if (runLength) EncodeRun(runValue, runLength);
}
