#include "gif/GIFSubBlockWriter.h"

#include "gif/GIFException.h"

namespace {
[[noreturn]] void InvalidOperation()
{
    throw GIFException("Invalid stream operation");
}
}  // namespace

std::size_t TGIFStream::Read(void*, std::size_t)
{
    InvalidOperation();
}
void TGIFStream::Write(const void*, std::size_t)
{
    InvalidOperation();
}
std::int64_t TGIFStream::Position() const
{
    InvalidOperation();
}
std::int64_t TGIFStream::Size() const
{
    InvalidOperation();
}
void TGIFStream::Seek(std::int64_t)
{
    InvalidOperation();
}

void TGIFWriter::Write(const void* buffer, std::size_t n)
{
    const auto* bytes = static_cast<const std::uint8_t*>(buffer);
    for (std::size_t i = 0; i < n; ++i) PutByte(bytes[i]);
}

void TGIFWriter::FlushBlock()
{
    fBuffer[0] = std::uint8_t(fFill - 1);
    fTarget.Write(fBuffer, std::size_t(fFill));
    fFill = 1;
    fDirty = false;
}
