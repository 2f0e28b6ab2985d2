#include "compressors/base/FileSizeOf.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cstdint>

#include "compressors/base/FileDescriptor.h"

FileSize FileSizeOf(const std::string& path)
{
    // O_NONBLOCK: a named pipe must not wait for a writer.
    FileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    struct stat info {};
    if (!file.valid() || ::fstat(file.get(), &info) != 0 || !S_ISREG(info.st_mode)) return -1;
    return static_cast<FileSize>(static_cast<std::uint32_t>(static_cast<std::uint64_t>(info.st_size)));
}
