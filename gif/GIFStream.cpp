#include "gif/GIFStream.h"

#include <algorithm>
#include <cstring>

#include "gif/GIFException.h"

void TStream::ReadChecked(void* buffer, std::size_t n)
{
    if (Read(buffer, n) != n) throw GIFException("Premature end of data");
}

std::size_t TMemoryStream::Read(void* buffer, std::size_t n)
{
    std::size_t count = std::min(n, fData.size() - fPos);
    if (count) std::memcpy(buffer, fData.data() + fPos, count);
    fPos += count;
    return count;
}

void TMemoryStream::Write(const void* buffer, std::size_t n)
{
    if (!n) return;
    if (std::int64_t(fPos + n) > fLimit) throw GIFOutputLimit();
    if (fPos + n > fData.size()) fData.resize(fPos + n);
    std::memcpy(fData.data() + fPos, buffer, n);
    fPos += n;
}

void TMemoryStream::Seek(std::int64_t position)
{
    fPos = std::size_t(std::clamp<std::int64_t>(position, 0, Size()));
}

std::size_t TMemoryView::Read(void* buffer, std::size_t n)
{
    std::size_t count = std::min(n, fData.size() - fPos);
    if (count) std::memcpy(buffer, fData.data() + fPos, count);
    fPos += count;
    return count;
}

void TMemoryView::Write(const void*, std::size_t)
{
    throw GIFException("Invalid stream operation");
}

void TMemoryView::Seek(std::int64_t position)
{
    fPos = std::size_t(std::clamp<std::int64_t>(position, 0, Size()));
}

TFileStream::TFileStream(const std::string& path, Mode mode) : fPath(path), fMode(mode)
{
    fFile = std::fopen(path.c_str(), mode == Mode::Read ? "rb" : "wb");
    if (!fFile)
        throw GIFException((mode == Mode::Read ? "Cannot open file \"" : "Cannot create file \"") + path + "\"");
    if (mode == Mode::Read) {
        std::fseek(fFile, 0, SEEK_END);
        fReadSize = std::ftell(fFile);
        std::fseek(fFile, 0, SEEK_SET);
    }
}

TFileStream::~TFileStream()
{
    if (fFile) std::fclose(fFile);
}

std::size_t TFileStream::Read(void* buffer, std::size_t n)
{
    return fFile ? std::fread(buffer, 1, n, fFile) : 0;
}

void TFileStream::Write(const void* buffer, std::size_t n)
{
    if (n && (!fFile || std::fwrite(buffer, 1, n, fFile) != n))
        throw GIFException("Cannot write file \"" + fPath + "\"");
}

void TFileStream::Close()
{
    std::FILE* file = fFile;
    if (!file) return;
    fFile = nullptr;
    if (std::fclose(file) != 0 && fMode == Mode::Create) throw GIFException("Cannot write file \"" + fPath + "\"");
}

std::int64_t TFileStream::Position() const
{
    return fFile ? std::int64_t(std::ftell(fFile)) : 0;
}

std::int64_t TFileStream::Size() const
{
    if (fReadSize >= 0) return fReadSize;
    if (!fFile) return 0;
    long here = std::ftell(fFile);
    std::fseek(fFile, 0, SEEK_END);
    long size = std::ftell(fFile);
    std::fseek(fFile, here, SEEK_SET);
    return size;
}

void TFileStream::Seek(std::int64_t position)
{
    if (fFile) std::fseek(fFile, long(std::clamp<std::int64_t>(position, 0, Size())), SEEK_SET);
}

std::vector<std::uint8_t> ReadWholeFile(const std::string& path)
{
    TFileStream file(path, TFileStream::Mode::Read);
    std::vector<std::uint8_t> bytes(std::size_t(file.Size()));
    if (file.Read(bytes.data(), bytes.size()) != bytes.size()) throw GIFException("Cannot read file \"" + path + "\"");
    return bytes;
}

void WriteWholeFile(const std::string& path, std::span<const std::uint8_t> bytes)
{
    TFileStream file(path, TFileStream::Mode::Create);
    file.Write(bytes.data(), bytes.size());
    file.Close();
}
