#pragma once
// Byte streams the engine reads from and writes to: a small interface with
// the positioning the reader needs, over memory or a file.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <span>
#include <string>
#include <vector>

class TStream {
public:
    virtual ~TStream() = default;
    // Copies up to n bytes into buffer; returns how many were there.
    virtual std::size_t Read(void* buffer, std::size_t n) = 0;
    virtual void Write(const void* buffer, std::size_t n) = 0;
    virtual std::int64_t Position() const = 0;
    virtual std::int64_t Size() const = 0;
    // Absolute positioning, clamped to 0..Size().
    virtual void Seek(std::int64_t position) = 0;

    std::int64_t Remaining() const { return Size() - Position(); }
    // Relative move (backwards or forwards), clamped like Seek.
    void Skip(std::int64_t delta) { Seek(Position() + delta); }
    // One byte; false at the end of the stream.
    bool ReadByte(std::uint8_t& value) { return Read(&value, 1) == 1; }
    // Exactly n bytes or GIFException "Premature end of data".
    void ReadChecked(void* buffer, std::size_t n);
    void WriteByte(std::uint8_t value) { Write(&value, 1); }
};

// Growable stream over an owned byte vector (reading and writing).
class TMemoryStream : public TStream {
public:
    TMemoryStream() = default;
    explicit TMemoryStream(std::vector<std::uint8_t> bytes) : fData(std::move(bytes)) {}
    std::size_t Read(void* buffer, std::size_t n) override;
    void Write(const void* buffer, std::size_t n) override;
    std::int64_t Position() const override { return std::int64_t(fPos); }
    std::int64_t Size() const override { return std::int64_t(fData.size()); }
    void Seek(std::int64_t position) override;
    const std::vector<std::uint8_t>& Bytes() const { return fData; }
    // Writing past this many bytes raises GIFOutputLimit (nothing written).
    void SetLimit(std::int64_t limit) { fLimit = limit; }
    // Bytes that may still be written.
    std::int64_t Room() const { return fLimit - Size(); }
    std::vector<std::uint8_t> TakeBytes()
    {
        fPos = 0;
        return std::move(fData);
    }

private:
    std::vector<std::uint8_t> fData;
    std::size_t fPos = 0;
    std::int64_t fLimit = INT64_MAX;
};

// Read-only stream over bytes owned by the caller (no copy).
class TMemoryView : public TStream {
public:
    explicit TMemoryView(std::span<const std::uint8_t> bytes) : fData(bytes) {}
    std::size_t Read(void* buffer, std::size_t n) override;
    // "Invalid stream operation".
    void Write(const void* buffer, std::size_t n) override;
    std::int64_t Position() const override { return std::int64_t(fPos); }
    std::int64_t Size() const override { return std::int64_t(fData.size()); }
    void Seek(std::int64_t position) override;

private:
    std::span<const std::uint8_t> fData;
    std::size_t fPos = 0;
};

// Stream over a file, opened for reading or created for writing.
class TFileStream : public TStream {
public:
    enum class Mode { Read, Create };
    // Throws GIFException "Cannot open file "<path>"" / "Cannot create file "<path>"".
    TFileStream(const std::string& path, Mode mode);
    // Closes a file still open, without a check.
    ~TFileStream() override;
    TFileStream(const TFileStream&) = delete;
    TFileStream& operator=(const TFileStream&) = delete;
    std::size_t Read(void* buffer, std::size_t n) override;
    void Write(const void* buffer, std::size_t n) override;
    std::int64_t Position() const override;
    std::int64_t Size() const override;
    void Seek(std::int64_t position) override;
    // Closes the file; for a created file, a failing close (data not written)
    // raises "Cannot write file "<path>"".
    void Close();

private:
    std::FILE* fFile = nullptr;
    std::string fPath;
    Mode fMode;
    std::int64_t fReadSize = -1;  // size of a file opened for reading
};

// The whole file; "Cannot open file "<path>"" or "Cannot read file "<path>"".
std::vector<std::uint8_t> ReadWholeFile(const std::string& path);
// Creates or replaces the file; "Cannot create file "<path>"" or "Cannot write file "<path>"".
void WriteWholeFile(const std::string& path, std::span<const std::uint8_t> bytes);
