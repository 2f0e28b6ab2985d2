#include "compressors/tools/PlainCopy.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

#include "compressors/Compressors.h"
#include "compressors/tools/FileDescriptor.h"
#include "compressors/tools/FileErrors.h"
#include "compressors/tools/SourceGuard.h"

namespace {

CopyChunkObserver chunkObserver;

FileError ReadFault(const std::string& path, int error)
{
    return FileError("Cannot read file \"" + path + "\". " + std::strerror(error));
}

FileError WriteFault(const std::string& path, int error)
{
    return FileError("Cannot write file \"" + path + "\". " + std::strerror(error));
}

void WriteAll(int fd, const char* data, std::size_t length, const std::string& path)
{
    while (length > 0) {
        const ssize_t written = ::write(fd, data, length);
        if (written < 0) {
            if (errno == EINTR) continue;
            throw WriteFault(path, errno);
        }
        data += written;
        length -= static_cast<std::size_t>(written);
    }
}

}  // namespace

void SetCopyChunkObserver(CopyChunkObserver observer)
{
    chunkObserver = std::move(observer);
}

void PlainCopy(const std::string& source, const std::string& destination, FileSize& originalSize,
               FileSize& optimizedSize)
{
    // O_NONBLOCK: a named pipe must not wait for a writer; only regular files are copied.
    FileDescriptor input(::open(source.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (input.get() < 0) throw CannotOpenFile(source, errno);
    struct stat info {};
    if (::fstat(input.get(), &info) != 0) throw CannotOpenFile(source, errno);
    if (S_ISDIR(info.st_mode)) throw CannotOpenFile(source, EISDIR);
    if (!S_ISREG(info.st_mode)) throw CannotOpenFile(source, std::string("Not a regular file"));
    ::fcntl(input.get(), F_SETFL, ::fcntl(input.get(), F_GETFL) & ~O_NONBLOCK);

    EnsureNotSource(source, destination);
    FileDescriptor output(::open(destination.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0666));
    if (output.get() < 0) throw CannotCreateFile(destination, errno);

    const auto sourceSize = static_cast<std::uint64_t>(info.st_size);
    originalSize = optimizedSize = static_cast<FileSize>(static_cast<std::uint32_t>(sourceSize));

    std::vector<char> buffer(static_cast<std::size_t>(std::min<std::uint64_t>(sourceSize, kCopyChunkSize)));
    std::uint64_t position = 0;
    while (position < sourceSize) {
        const ssize_t got = ::read(input.get(), buffer.data(), buffer.size());
        if (got < 0) {
            if (errno == EINTR) continue;
            throw ReadFault(source, errno);
        }
        if (got == 0) break;  // the source shrank while being copied
        WriteAll(output.get(), buffer.data(), static_cast<std::size_t>(got), destination);
        if (chunkObserver) chunkObserver(static_cast<std::size_t>(got));
        position += static_cast<std::uint64_t>(got);
    }
    // close() reports delayed write errors (for example a full disk).
    if (output.Close() != 0) throw WriteFault(destination, errno);
}
