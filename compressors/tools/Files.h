#pragma once
// The optimizers' file layer. Files are read whole or in chunks; a destination
// is written to a unique temporary file in its own folder, which replaces it
// in one rename once complete, so the destination is always either the old
// file or the whole new one. Every fault is a FileError (FileErrors.h) that
// names the path the caller gave: "Cannot open file "<path>". <reason>" for
// a file being read, "Cannot create file "<path>". <reason>" for a file being
// written. Safe to use on several threads at once.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "compressors/tools/FileDescriptor.h"

// A regular file opened for reading. A folder ("Is a directory"), a named
// pipe (never waited for), a device or a socket ("Not a regular file") is
// refused.
class InputFile {
public:
    explicit InputFile(const std::string& path);

    // The size when the file was opened.
    std::uint64_t Size() const { return size_; }
    // Reads up to `capacity` bytes; 0 at the end of the file.
    std::size_t Read(char* buffer, std::size_t capacity);

private:
    std::string path_;
    FileDescriptor file_;
    std::uint64_t size_ = 0;
};

// The whole file, also when it grew or shrank since it was opened.
std::string ReadEntireFile(const std::string& path);
std::vector<std::uint8_t> ReadEntireFileBytes(const std::string& path);

// A destination being replaced. The constructor creates the temporary file
// (exclusively, with a fresh name); Write appends to it; Commit closes it and
// renames it over the destination. Without a successful Commit the temporary
// file is removed and the destination is left as it was. A destination that
// is a symbolic link has its target replaced. An existing destination keeps
// its permission bits; one that may not be written, a folder or anything but
// a regular file is refused. Callers that read a source refuse a destination
// that is the source first (EnsureNotSource).
class FileReplacement {
public:
    explicit FileReplacement(const std::string& destination);
    ~FileReplacement();
    FileReplacement(const FileReplacement&) = delete;
    FileReplacement& operator=(const FileReplacement&) = delete;

    void Write(std::string_view bytes);
    void Commit();

private:
    std::string destination_;  // as the caller named it
    std::string target_;       // the file that is replaced
    std::string temporary_;
    FileDescriptor file_;
    bool committed_ = false;
};

// Replaces the file with exactly these bytes (FileReplacement).
void WriteEntireFile(const std::string& path, std::string_view bytes);
void WriteEntireFile(const std::string& path, const std::vector<std::uint8_t>& bytes);

// Removes the file if it is there; never throws.
void RemoveFileQuietly(const std::string& path) noexcept;
