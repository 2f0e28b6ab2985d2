#include "compressors/tools/Files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <random>
#include <system_error>

#include "compressors/tools/FileErrors.h"

namespace {

constexpr int kMaxLinks = 40;       // as the kernel follows them
constexpr int kNameAttempts = 100;  // fresh temporary names tried before giving up
constexpr std::size_t kGrowthChunk = 1 << 16;

// The path up to and including its last "/"; empty without one.
std::string FolderOf(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// The file a write through `path` reaches: symbolic links followed, also to a
// target that does not exist yet.
std::string FollowLinks(const std::string& destination)
{
    std::string path = destination;
    for (int hop = 0; hop < kMaxLinks; ++hop) {
        struct stat info {};
        if (::lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return path;
        std::error_code error;
        const std::string link = std::filesystem::read_symlink(path, error).string();
        if (error) throw CannotCreateFile(destination, error.value());
        path = !link.empty() && link.front() == '/' ? link : FolderOf(path) + link;
    }
    throw CannotCreateFile(destination, ELOOP);
}

// A name no one is likely to have used in the folder: ".qwo-" and 16 random hex digits.
std::string TemporaryName(const std::string& folder, std::random_device& random)
{
    char digits[17];
    std::snprintf(digits, sizeof digits, "%08x%08x", unsigned(random()), unsigned(random()));
    return folder + ".qwo-" + digits + ".tmp";
}

template <typename Bytes>
Bytes ReadWhole(const std::string& path)
{
    InputFile input(path);
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
    return ReadWhole<std::string>(path);
}

std::vector<std::uint8_t> ReadEntireFileBytes(const std::string& path)
{
    return ReadWhole<std::vector<std::uint8_t>>(path);
}

FileReplacement::FileReplacement(const std::string& destination)
    : destination_(destination), target_(FollowLinks(destination))
{
    struct stat existing {};
    const bool exists = ::stat(target_.c_str(), &existing) == 0;
    if (exists) {
        if (S_ISDIR(existing.st_mode)) throw CannotCreateFile(destination_, EISDIR);
        if (!S_ISREG(existing.st_mode)) throw CannotCreateFile(destination_, std::string("Not a regular file"));
        if (::access(target_.c_str(), W_OK) != 0) throw CannotCreateFile(destination_, errno);
    }

    std::random_device random;
    const std::string folder = FolderOf(target_);
    for (int attempt = 1;; ++attempt) {
        temporary_ = TemporaryName(folder, random);
        file_ = FileDescriptor(::open(temporary_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
        if (file_.valid()) break;
        const int error = errno;
        if (error != EEXIST || attempt == kNameAttempts) throw CannotCreateFile(destination_, error);
    }
    // A replaced file keeps its permissions (a private file stays private).
    if (exists) ::fchmod(file_.get(), existing.st_mode & 07777);
}

FileReplacement::~FileReplacement()
{
    if (committed_) return;
    file_.Close();
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

void FileReplacement::Commit()
{
    // Every byte went out through write(); close() reports delayed write errors
    // (for example a full disk). No fsync: a rename over the destination is
    // atomic for every reader, and a run writes many files.
    if (file_.Close() != 0) throw CannotCreateFile(destination_, errno);
    if (::rename(temporary_.c_str(), target_.c_str()) != 0) throw CannotCreateFile(destination_, errno);
    committed_ = true;
}

void WriteEntireFile(const std::string& path, std::string_view bytes)
{
    FileReplacement file(path);
    file.Write(bytes);
    file.Commit();
}

void WriteEntireFile(const std::string& path, const std::vector<std::uint8_t>& bytes)
{
    WriteEntireFile(path, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

void RemoveFileQuietly(const std::string& path) noexcept
{
    ::unlink(path.c_str());
}
