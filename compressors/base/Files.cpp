#include "compressors/base/Files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <random>

#include "compressors/base/FileErrors.h"
#include "compressors/base/RunControl.h"

namespace {

constexpr int kNameAttempts = 100;  // fresh temporary names tried before giving up
constexpr std::size_t kGrowthChunk = 1 << 16;

// The path up to and including its last "/"; empty without one.
std::string FolderOf(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// The extension of the path's file name, dot included; empty without one.
std::string ExtensionOf(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    const std::size_t dot = path.rfind('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return {};
    if (dot == (slash == std::string::npos ? 0 : slash + 1)) return {};  // a hidden file's name
    return path.substr(dot);
}

// The writing process's id, "-" and 16 random hex digits: a later run can
// tell the files of a process that is gone (StaleTemporaries.h).
std::string UniquePart(std::random_device& random)
{
    char digits[40];
    std::snprintf(digits, sizeof digits, "%ld-%08x%08x", static_cast<long>(::getpid()), unsigned(random()),
                  unsigned(random()));
    return digits;
}

template <typename Bytes>
Bytes ReadWhole(InputFile& input)
{
    Bytes bytes(static_cast<std::size_t>(input.Size()), 0);
    std::size_t got = 0;
    while (got < bytes.size()) {
        const std::size_t read = input.Read(reinterpret_cast<char*>(bytes.data()) + got, bytes.size() - got);
        if (read == 0) break;  // the file shrank meanwhile
        got += read;
    }
    bytes.resize(got);
    if (got == input.Size()) {
        // The file may have grown, or tell a size of 0 like those of /proc.
        char chunk[kGrowthChunk];
        for (std::size_t read; (read = input.Read(chunk, sizeof chunk)) > 0;)
            bytes.insert(bytes.end(), chunk, chunk + read);
    }
    return bytes;
}

}  // namespace

InputFile::InputFile(const std::string& path)
    // O_NONBLOCK: a named pipe must not wait for a writer.
    : path_(path), file_(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK))
{
    if (!file_.valid()) throw CannotOpenFile(path, errno);
    struct stat info {};
    if (::fstat(file_.get(), &info) != 0) throw CannotOpenFile(path, errno);
    if (S_ISDIR(info.st_mode)) throw CannotOpenFile(path, EISDIR);
    if (!S_ISREG(info.st_mode)) throw CannotOpenFile(path, std::string("Not a regular file"));
    const int flags = ::fcntl(file_.get(), F_GETFL);
    if (flags < 0 || ::fcntl(file_.get(), F_SETFL, flags & ~O_NONBLOCK) != 0) throw CannotOpenFile(path, errno);
    size_ = static_cast<std::uint64_t>(info.st_size);
}

std::uint64_t InputFile::CurrentSize() const
{
    struct stat info {};
    if (::fstat(file_.get(), &info) != 0) throw CannotOpenFile(path_, errno);
    return static_cast<std::uint64_t>(info.st_size);
}

std::size_t InputFile::Read(char* buffer, std::size_t capacity)
{
    for (;;) {
        const ssize_t got = ::read(file_.get(), buffer, capacity);
        if (got >= 0) return static_cast<std::size_t>(got);
        if (errno != EINTR) throw CannotOpenFile(path_, errno);
    }
}

std::string ReadEntireFile(const std::string& path)
{
    InputFile input(path);
    return ReadWhole<std::string>(input);
}

std::vector<std::uint8_t> ReadEntireFileBytes(const std::string& path)
{
    InputFile input(path);
    return ReadWhole<std::vector<std::uint8_t>>(input);
}

std::string ReadAll(InputFile& input)
{
    return ReadWhole<std::string>(input);
}

FileDescriptor CreateUniqueFile(const std::string& folder, const std::string& prefix, const std::string& suffix,
                                TRunControl* control, const std::string& errorPath, std::string& path)
{
    std::random_device random;
    for (int attempt = 1;; ++attempt) {
        path = folder + prefix + UniquePart(random) + suffix;
        auto create = [&path] { return ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666); };
        FileDescriptor file(control ? control->CreateTemporaryFile(path, create) : create());
        if (file.valid()) return file;
        const int error = errno;
        if (error != EEXIST || attempt == kNameAttempts) throw CannotCreateFile(errorPath, error);
    }
}

FileReplacement::FileReplacement(const std::string& destination, TRunControl* control)
    : destination_(destination), control_(control)
{
    struct stat existing {};
    if (::lstat(destination_.c_str(), &existing) == 0) {
        if (S_ISDIR(existing.st_mode)) throw CannotCreateFile(destination_, EISDIR);
        if (S_ISREG(existing.st_mode)) {
            if (::access(destination_.c_str(), W_OK) != 0) throw CannotCreateFile(destination_, errno);
            mode_ = static_cast<int>(existing.st_mode & 07777);
        } else if (!S_ISLNK(existing.st_mode)) {
            throw CannotCreateFile(destination_, std::string("Not a regular file"));
        }
    }
    file_ = CreateUniqueFile(FolderOf(destination_), ".qwo-", ExtensionOf(destination_), control_, destination_,
                             temporary_);
}

FileReplacement::~FileReplacement()
{
    if (committed_) return;
    file_.Close();
    if (control_)
        control_->RemoveTemporaryFile(temporary_);
    else
        ::unlink(temporary_.c_str());
}

void FileReplacement::Write(std::string_view bytes)
{
    const char* data = bytes.data();
    std::size_t length = bytes.size();
    while (length > 0) {
        const ssize_t written = ::write(file_.get(), data, length);
        if (written < 0) {
            if (errno == EINTR) continue;
            throw CannotCreateFile(destination_, errno);
        }
        data += written;
        length -= static_cast<std::size_t>(written);
    }
}

void FileReplacement::FinishWriting()
{
    // Every byte went out through write(); close() reports delayed write errors
    // (for example a full disk). No fsync: a rename over the destination is
    // atomic for every reader, and a run writes many files.
    if (file_.Close() != 0) throw CannotCreateFile(destination_, errno);
}

void FileReplacement::Commit()
{
    FinishWriting();
    // A replaced file keeps its permissions (a private file stays private).
    if (mode_ >= 0 && ::chmod(temporary_.c_str(), static_cast<mode_t>(mode_)) != 0)
        throw CannotCreateFile(destination_, errno);
    const int renamed = control_ ? control_->RenameTemporaryFile(temporary_, destination_)
                                 : std::rename(temporary_.c_str(), destination_.c_str());
    if (renamed != 0) throw CannotCreateFile(destination_, errno);
    committed_ = true;
}

void WriteEntireFile(const std::string& path, std::string_view bytes, TRunControl* control)
{
    FileReplacement file(path, control);
    file.Write(bytes);
    file.Commit();
}

void WriteEntireFile(const std::string& path, const std::vector<std::uint8_t>& bytes, TRunControl* control)
{
    WriteEntireFile(path, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()), control);
}

void RemoveFileQuietly(const std::string& path) noexcept
{
    ::unlink(path.c_str());
}
