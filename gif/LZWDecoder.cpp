#include "gif/LZWDecoder.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "gif/GIFException.h"
#include "gif/GIFStream.h"

namespace {
// A chain walk longer than the table can only come from a cycle.
constexpr int MaxChainSteps = 4096;

// The frame's rows in file order: every 8th from 0, every 8th from 4, every
// 4th from 2, every 2nd from 1.
std::vector<int> InterlacedRows(int height)
{
    std::vector<int> rows;
    rows.reserve(std::size_t(height));
    int row = 0, pass = 0, step = 8;
    for (int i = 0; i < height; ++i) {
        rows.push_back(row);
        row += step;
        while (row >= height && i + 1 < height) {
            if (pass > 0) step /= 2;
            ++pass;
            row = step / 2;
        }
    }
    return rows;
}
}  // namespace

TLZWDecoder::TLZWDecoder(TStream& stream) : fStream(stream) {}

int TLZWDecoder::ReadCode()
{
    if (fFreshStart) {
        fFreshStart = false;
        return fClear;
    }
    const int n = fCodeSize;
    // A code that ends exactly on the last valid bit is still whole.
    if (fBitPos + n > fBitLimit) {
        if (fDataEnded) {
            return -1;
        }
        fBuffer[0] = fBuffer[fBufferLength - 2];
        fBuffer[1] = fBuffer[fBufferLength - 1];
        std::uint8_t length;
        if (!fStream.ReadByte(length)) return -1;
        if (length == 0) {
            fDataEnded = fTerminatorSeen = true;
            return -1;
        }
        std::int64_t left = fStream.Remaining();
        if (length > left) length = std::uint8_t(left);
        fStream.Read(fBuffer + 2, length);
        fBufferLength = length + 2;
        fBitPos = fBitPos - fBitLimit + 16;
        fBitLimit = 8 * fBufferLength;
    }
    const std::uint8_t* at = fBuffer + (fBitPos >> 3);
    const std::uint32_t bits = std::uint32_t(at[0]) | (std::uint32_t(at[1]) << 8) | (std::uint32_t(at[2]) << 16);
    int code = int((bits >> (fBitPos & 7)) & ((1u << n) - 1));
    fBitPos += n;
    return code;
}

void TLZWDecoder::ResetTable()
{
    fCodeSize = fMinCodeSize + 1;
    fSizeLimit = 2 * fClear;
    fNext = fClear + 2;
    std::memset(fPrefix, 0, sizeof fPrefix);
    std::memset(fSuffix, 0, sizeof fSuffix);
    std::memset(fStable, 0, sizeof fStable);
    for (int i = 0; i < fClear; ++i) {
        fSuffix[i] = std::uint16_t(i);
        fStable[i] = true;
        fLength[i] = 1;
        fFirstPixel[i] = std::uint8_t(i);
    }
}

void TLZWDecoder::SkipRest()
{
    std::uint8_t length;
    while (fStream.ReadByte(length) && length != 0) fStream.Skip(length);
}

// The chain walk exactly as the table says, for strings whose links may
// still change (damaged data).
std::size_t TLZWDecoder::DecodeSlow(int code)
{
    int top = 0;
    if (code >= fNext) {
        fStack[top++] = std::uint16_t(fFirst);
        code = fOld;
    }
    int steps = 0;
    while (code >= fClear) {
        if (++steps > MaxChainSteps) throw GIFException("Circular decoder table entry");
        fStack[top++] = fSuffix[code];
        if (fPrefix[code] == code) throw GIFException("Circular decoder table entry");
        code = fPrefix[code];
    }
    fFirst = fSuffix[code];
    fStack[top++] = std::uint16_t(fFirst);
    const std::size_t length = std::size_t(top);
    for (std::size_t i = 0; i < length; ++i) fString[i] = std::uint8_t(fStack[--top]);
    return length;
}

template <bool Interlaced>
std::uint8_t* TLZWDecoder::At(std::uint8_t* out, std::size_t pos) const
{
    if constexpr (Interlaced)
        return out + fRowStart[pos / fWidth] + pos % fWidth;
    else
        return out + pos;
}

template <bool Interlaced>
void TLZWDecoder::Copy(std::uint8_t* out, std::size_t to, std::size_t from, std::size_t count) const
{
    if constexpr (!Interlaced) {
        // The source always ends at or before to. Short strings are copied 16
        // bytes at a time (one load, one store) when the room allows: the
        // bytes past count are rewritten by the strings that follow.
        if (count <= 16 && to + 16 <= fTotal) {
            std::uint8_t chunk[16];
            std::memcpy(chunk, out + from, 16);
            std::memcpy(out + to, chunk, 16);
        } else if (count <= 32 && to + 32 <= fTotal) {
            std::uint8_t chunk[32];
            std::memcpy(chunk, out + from, 32);
            std::memcpy(out + to, chunk, 32);
        } else {
            std::memmove(out + to, out + from, count);
        }
    } else {
        while (count > 0) {
            std::size_t chunk = std::min({count, fWidth - to % fWidth, fWidth - from % fWidth});
            std::memcpy(At<true>(out, to), At<true>(out, from), chunk);
            to += chunk, from += chunk, count -= chunk;
        }
    }
}

template <bool Interlaced>
void TLZWDecoder::Put(std::uint8_t* out, std::size_t to, const std::uint8_t* bytes, std::size_t count) const
{
    if constexpr (!Interlaced) {
        std::memcpy(out + to, bytes, count);
    } else {
        while (count > 0) {
            std::size_t chunk = std::min(count, fWidth - to % fWidth);
            std::memcpy(At<true>(out, to), bytes, chunk);
            to += chunk, bytes += chunk, count -= chunk;
        }
    }
}

std::optional<TLZWDecoder::TStop> TLZWDecoder::AfterClear(int& code)
{
    ResetTable();
    do code = ReadCode();
    while (code == fClear);
    if (code < 0) return TStop::OutOfData;
    if (code == fEnd) {
        SkipRest();
        return TStop::EndCode;
    }
    fFirst = fOld = code;
    return std::nullopt;
}

template <bool Interlaced>
TLZWDecoder::TStop TLZWDecoder::DecodeRun(std::uint8_t* out, std::size_t total, bool& leftover)
{
    std::size_t pos = 0;
    std::size_t lastPos = 0, lastLength = 0;
    leftover = false;
    while (pos < total) {
        fPos = pos;
        int code = ReadCode();
        if (code < 0) return TStop::OutOfData;
        if (code == fClear) {
            if (const auto stop = AfterClear(code)) return *stop;
            lastPos = pos;
            lastLength = 1;
            *At<Interlaced>(out, pos++) = std::uint8_t(code);
            fPos = pos;
            continue;
        }
        if (code == fEnd) {
            if (!fTerminatorSeen) SkipRest();
            return TStop::EndCode;
        }

        const int old = fOld;
        const bool oldStable = old < fNext && fStable[old];
        const std::size_t room = total - pos;
        std::size_t length;
        if (code < fNext && fStable[code]) {
            length = fLength[code];
            if (length == 1)
                *At<Interlaced>(out, pos) = std::uint8_t(code);
            else
                Copy<Interlaced>(out, pos, fOffset[code], length < room ? length : room);
            fFirst = fFirstPixel[code];
        } else if (code >= fNext && oldStable) {
            // The string in progress: the previous string plus its own first pixel.
            length = std::size_t(fLength[old]) + 1;
            Copy<Interlaced>(out, pos, lastPos, length - 1 < room ? length - 1 : room);
            if (length <= room) *At<Interlaced>(out, pos + length - 1) = fFirstPixel[old];
            fFirst = fFirstPixel[old];
        } else {
            length = DecodeSlow(code);
            Put<Interlaced>(out, pos, fString, length < room ? length : room);
        }
        leftover = length > room;

        if (fNext <= 4095) {
            const int slot = fNext;
            fPrefix[slot] = std::uint16_t(old);
            fSuffix[slot] = std::uint16_t(fFirst);
            if (oldStable && lastLength < 4096) {
                fStable[slot] = true;
                fLength[slot] = std::uint16_t(lastLength + 1);
                fFirstPixel[slot] = fFirstPixel[old];
                fOffset[slot] = lastPos;
            } else {
                fStable[slot] = false;
            }
            ++fNext;
            if (fNext >= fSizeLimit && fSizeLimit <= 4095) {
                fSizeLimit *= 2;
                ++fCodeSize;
            }
        }
        fOld = code;
        lastPos = pos;
        lastLength = length;
        pos += length < room ? length : room;
        fPos = pos;
    }
    return TStop::Complete;
}

bool TLZWDecoder::Start()
{
    std::uint8_t minCodeSize;
    if (!fStream.ReadByte(minCodeSize)) return false;
    fMinCodeSize = minCodeSize > 8 ? 8 : minCodeSize;
    fClear = 1 << fMinCodeSize;
    fEnd = fClear + 1;
    fCodeSize = fMinCodeSize + 1;
    fSizeLimit = 2 * fClear;
    fNext = fClear + 2;
    return true;
}

// Leaves the stream after the image data: looks at the code after the last
// pixel (normally the end code), then skips whatever data is left.
void TLZWDecoder::Finish(TStop stop, bool leftover)
{
    if (stop == TStop::EndCode) return;
    if (!leftover) ReadCode();
    if (!fTerminatorSeen) SkipRest();
}

void TLZWDecoder::Decode(std::uint8_t* out, int width, int height, bool interlaced, std::uint8_t fill)
{
    if (!Start()) return;
    const std::size_t total = std::size_t(width) * std::size_t(height);
    fTotal = total;
    bool leftover = false;
    TStop stop;
    if (!interlaced || height <= 1) {
        fPos = 0;
        stop = DecodeRun<false>(out, total, leftover);
        // Short copies may have run past the last string: restore the fill there.
        if (fPos < total) std::memset(out + fPos, fill, std::min<std::size_t>(32, total - fPos));
    } else {
        fWidth = std::size_t(width);
        fRowStart.clear();
        for (int row : InterlacedRows(height)) fRowStart.push_back(std::size_t(row) * fWidth);
        stop = DecodeRun<true>(out, total, leftover);
    }
    Finish(stop, leftover);
}

template <class Sink>
TLZWDecoder::TStop TLZWDecoder::DecodeStrings(std::size_t total, bool& leftover, Sink&& sink)
{
    std::size_t pos = 0;
    leftover = false;
    while (pos < total) {
        int code = ReadCode();
        if (code < 0) return TStop::OutOfData;
        if (code == fClear) {
            if (const auto stop = AfterClear(code)) return *stop;
            const std::uint8_t pixel = std::uint8_t(code);
            sink(pos++, &pixel, std::size_t(1));
            continue;
        }
        if (code == fEnd) {
            if (!fTerminatorSeen) SkipRest();
            return TStop::EndCode;
        }
        const int old = fOld;
        const std::size_t length = DecodeSlow(code);
        const std::size_t count = std::min(length, total - pos);
        sink(pos, static_cast<const std::uint8_t*>(fString), count);
        leftover = length > count;
        if (fNext <= 4095) {
            fPrefix[fNext] = std::uint16_t(old);
            fSuffix[fNext] = std::uint16_t(fFirst);
            fStable[fNext] = false;
            ++fNext;
            if (fNext >= fSizeLimit && fSizeLimit <= 4095) {
                fSizeLimit *= 2;
                ++fCodeSize;
            }
        }
        fOld = code;
        pos += count;
    }
    return TStop::Complete;
}

void TLZWDecoder::DecodeWindow(std::uint8_t* out, int width, int height, bool interlaced, const TWindow& window)
{
    if (window.Left >= window.Right || window.Top >= window.Bottom) {
        // Nothing to keep: only leave the stream after the image data.
        std::uint8_t minCodeSize;
        if (fStream.ReadByte(minCodeSize)) SkipRest();
        return;
    }
    if (!Start()) return;
    const std::size_t w = std::size_t(width), kept = std::size_t(window.Right - window.Left);
    std::vector<int> rows;
    if (interlaced && height > 1) rows = InterlacedRows(height);
    // File-order rows up to the last one kept.
    std::size_t lastRow = std::size_t(window.Bottom) - 1;
    if (!rows.empty()) {
        lastRow = 0;
        for (std::size_t i = 0; i < rows.size(); ++i)
            if (rows[i] >= window.Top && rows[i] < window.Bottom) lastRow = i;
    }
    auto sink = [&](std::size_t pos, const std::uint8_t* bytes, std::size_t count) {
        while (count > 0) {
            const std::size_t i = pos / w, x = pos % w, n = std::min(count, w - x);
            const int row = rows.empty() ? int(i) : rows[i];
            if (row >= window.Top && row < window.Bottom) {
                const std::size_t from = std::max(x, std::size_t(window.Left));
                const std::size_t to = std::min(x + n, std::size_t(window.Right));
                if (from < to)
                    std::memcpy(out + std::size_t(row - window.Top) * kept + (from - std::size_t(window.Left)),
                                bytes + (from - x), to - from);
            }
            pos += n, bytes += n, count -= n;
        }
    };
    bool leftover = false;
    const TStop stop = DecodeStrings((lastRow + 1) * w, leftover, sink);
    Finish(stop, leftover);
}
