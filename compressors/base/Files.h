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

#include "compressors/base/FileDescriptor.h"

class TRunControl;

// A regular file opened for reading. A folder ("Is a directory"), a named
// pipe (never waited for), a device or a socket ("Not a regular file") is
// refused.
class InputFile {
public:
    explicit InputFile(const std::string& path);

    // The size when the file was opened.
    std::uint64_t Size() const { return size_; }
    // Its size now (fstat); throws when it cannot be read.
    std::uint64_t CurrentSize() const;
    // Reads up to `capacity` bytes; 0 at the end of the file.
    std::size_t Read(char* buffer, std::size_t capacity);
    // The open descriptor (for mapping the file).
    int Handle() const { return file_.get(); }

private:
    std::string path_;
    FileDescriptor file_;
    std::uint64_t size_ = 0;
};

// The whole file, also when it grew or shrank since it was opened.
std::string ReadEntireFile(const std::string& path);
std::vector<std::uint8_t> ReadEntireFileBytes(const std::string& path);
// What is left of an open file, read the same way.
std::string ReadAll(InputFile& input);

// A destination being replaced. The constructor creates the temporary file
// beside the destination (exclusively, with a fresh name that starts with
// ".qwo-" and keeps the destination's extension); Write appends to it;
// Commit closes it and renames it over the destination. Without a successful
// Commit the temporary file is removed and the destination is left as it was.
// A destination that is a symbolic link is replaced by the file, never
// written through. An existing regular destination keeps its permission bits;
// one that may not be written, a folder or anything else that is not a
// regular file (a named pipe, a device) is refused and never opened. Callers
// that read a source refuse a destination that is the source first
// (EnsureNotSource). With a run control, the temporary file is registered
// there while it exists.
//
// A plug-in can write the result itself: FinishWriting closes this side, the
// tool writes TemporaryPath(), Commit renames it.
class FileReplacement {
public:
    explicit FileReplacement(const std::string& destination, TRunControl* control = nullptr);
    ~FileReplacement();
    FileReplacement(const FileReplacement&) = delete;
    FileReplacement& operator=(const FileReplacement&) = delete;

    void Write(std::string_view bytes);
    // Closes the temporary file, reporting delayed write errors (a full disk).
    void FinishWriting();
    void Commit();

    const std::string& Destination() const { return destination_; }
    const std::string& TemporaryPath() const { return temporary_; }

private:
    std::string destination_;
    std::string temporary_;
    FileDescriptor file_;
    TRunControl* control_;
    int mode_ = -1;  // the replaced file's permission bits; -1: a new file
    bool committed_ = false;
};

// Creates a new file exclusively in `folder` (with its trailing "/", or empty
// for the current folder) as prefix + the process id, "-" and 16 random hex
// digits + suffix, tried with fresh names while one is taken, and registers
// it with the control.
// Returns the open descriptor and sets `path`; throws
// CannotCreateFile(errorPath, reason).
FileDescriptor CreateUniqueFile(const std::string& folder, const std::string& prefix, const std::string& suffix,
                                TRunControl* control, const std::string& errorPath, std::string& path);

// Replaces the file with exactly these bytes (FileReplacement).
void WriteEntireFile(const std::string& path, std::string_view bytes, TRunControl* control = nullptr);
void WriteEntireFile(const std::string& path, const std::vector<std::uint8_t>& bytes, TRunControl* control = nullptr);

// Removes the file if it is there; never throws.
void RemoveFileQuietly(const std::string& path) noexcept;
