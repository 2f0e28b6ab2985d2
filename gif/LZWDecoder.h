#pragma once
// Pull-style LZW decoder for one frame's image data: reads the minimum code
// size and the data sub-blocks from the stream and fills a pixel buffer.
// Short or damaged data never fails: decoding stops and the remaining pixels
// keep their fill value. A corrupt string table raises "Circular decoder
// table entry".
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

class TStream;

class TLZWDecoder {
public:
    explicit TLZWDecoder(TStream& stream);

    // Decodes into out (width x height pixels, already holding the fill value),
    // rows in interlaced order when asked; leaves the stream after the image data.
    void Decode(std::uint8_t* out, int width, int height, bool interlaced, std::uint8_t fill);

    // Decodes a frame of width x height of which only the columns
    // [left, right) of the rows [top, bottom) are kept, into out (those rows
    // and columns, already holding the fill value); nothing else is stored.
    // Decoding stops after the last kept pixel; the stream is left after the
    // image data as by Decode.
    struct TWindow {
        int Left = 0, Top = 0, Right = 0, Bottom = 0;
    };
    void DecodeWindow(std::uint8_t* out, int width, int height, bool interlaced, const TWindow& window);

private:
    enum class TStop { Complete, OutOfData, EndCode };

    int ReadCode();
    void ResetTable();
    void SkipRest();
    // After a clear code: the table reset and the next code read into `code`.
    // The stop when the data ends or the end code follows; none otherwise.
    std::optional<TStop> AfterClear(int& code);
    bool Start();
    void Finish(TStop stop, bool leftover);
    // Every string through the chain walk, handed to sink(position, bytes, count).
    template <class Sink>
    TStop DecodeStrings(std::size_t total, bool& leftover, Sink&& sink);
    template <bool Interlaced>
    TStop DecodeRun(std::uint8_t* out, std::size_t total, bool& leftover);
    // Walks the chain of code into fString (first pixel first); returns the length.
    std::size_t DecodeSlow(int code);
    // Output addressing in file order: rows mapped to their interlaced places.
    template <bool Interlaced>
    std::uint8_t* At(std::uint8_t* out, std::size_t pos) const;
    template <bool Interlaced>
    void Copy(std::uint8_t* out, std::size_t to, std::size_t from, std::size_t count) const;
    template <bool Interlaced>
    void Put(std::uint8_t* out, std::size_t to, const std::uint8_t* bytes, std::size_t count) const;

    std::size_t fWidth = 0;
    std::size_t fTotal = 0;
    std::size_t fPos = 0;                // pixels decoded so far
    std::vector<std::size_t> fRowStart;  // file-order row -> offset of its row in out

    TStream& fStream;

    int fMinCodeSize = 0;
    int fClear = 0, fEnd = 0;
    int fCodeSize = 0, fSizeLimit = 0, fNext = 0;
    int fFirst = 0, fOld = 0;

    // Bit buffer: two bytes carried over, then one sub-block (plus padding).
    std::uint8_t fBuffer[2 + 255 + 8] = {};
    int fBitPos = 0, fBitLimit = 0, fBufferLength = 2;
    bool fFreshStart = true, fDataEnded = false, fTerminatorSeen = false;

    // String table: prefix/suffix chains, plus for strings that can never
    // change (every link defined before use) the length, first pixel and a
    // place in the output where the string already stands.
    std::uint16_t fPrefix[4096];
    std::uint16_t fSuffix[4096];
    std::uint16_t fLength[4096];
    std::uint8_t fFirstPixel[4096];
    bool fStable[4096];
    std::size_t fOffset[4096];
    std::uint16_t fStack[8192];
    std::uint8_t fString[8192];
};
