#include "app/core/OutputFolders.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>

#include "compressors/base/FileDescriptor.h"
#include "compressors/base/FileErrors.h"

void CreateOutputFolders(const std::string& base, const std::string& folders, const std::string& destination)
{
    FileDescriptor folder(::open(base.empty() ? "." : base.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!folder.valid()) throw CannotCreateFile(destination, errno);
    std::string reached = base;
    std::size_t start = 0;
    while (start < folders.size()) {
        std::size_t end = folders.find('/', start);
        if (end == std::string::npos) end = folders.size();
        const std::string name = folders.substr(start, end - start);
        start = end + 1;
        if (name.empty()) continue;
        reached += name + "/";
        if (::mkdirat(folder.get(), name.c_str(), 0777) != 0 && errno != EEXIST)
            throw CannotCreateFile(destination, errno);
        FileDescriptor next(::openat(folder.get(), name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
        if (!next.valid()) {
            const int error = errno;
            if (error == ELOOP || error == ENOTDIR)
                throw CannotCreateFile(destination,
                                       "\"" + reached + "\" is a link or not a folder; it is not followed.");
            throw CannotCreateFile(destination, error);
        }
        folder = std::move(next);
    }
}
