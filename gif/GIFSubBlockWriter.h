#pragma once
// Write-only stream adapter that packs bytes into data sub-blocks of at most
// 255 bytes (a length byte, then the data) on a target stream.
#include <cstdint>

#include "gif/GIFStream.h"

// A stream that rejects every operation with GIFException "Invalid stream operation".
class TGIFStream : public TStream {
public:
    std::size_t Read(void* buffer, std::size_t n) override;
    void Write(const void* buffer, std::size_t n) override;
    std::int64_t Position() const override;
    std::int64_t Size() const override;
    void Seek(std::int64_t position) override;
};

class TGIFWriter : public TGIFStream {
public:
    explicit TGIFWriter(TStream& target) : fTarget(target) {}
    void Write(const void* buffer, std::size_t n) override;
    void PutByte(std::uint8_t value)
    {
        fBuffer[fFill++] = value;
        fDirty = true;
        if (fFill == 256) FlushBlock();
    }
    // Writes the buffered bytes as one sub-block.
    void FlushBlock();
    // Flushes the last partial sub-block.
    void Finish()
    {
        if (fDirty) FlushBlock();
    }

private:
    TStream& fTarget;
    std::uint8_t fBuffer[256];
    int fFill = 1;
    bool fDirty = false;
};
