#include "compressors/base/SourceGuard.h"

#include <sys/stat.h>

#include "compressors/base/FileErrors.h"

void EnsureNotSource(const std::string& source, const std::string& destination)
{
    struct stat sourceInfo {};
    struct stat destinationInfo {};
    if (::stat(source.c_str(), &sourceInfo) != 0 || ::stat(destination.c_str(), &destinationInfo) != 0) return;
    if (sourceInfo.st_dev == destinationInfo.st_dev && sourceInfo.st_ino == destinationInfo.st_ino)
        throw CannotCreateFile(destination, "The destination is the source file.");
}
