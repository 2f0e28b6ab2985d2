#include "compressors/tools/RemoveDestination.h"

#include <unistd.h>

#include <cerrno>

#include "compressors/tools/FileErrors.h"
#include "compressors/tools/SourceGuard.h"

void RemoveDestination(const std::string& source, const std::string& destination)
{
    EnsureNotSource(source, destination);
    if (::unlink(destination.c_str()) != 0 && errno != ENOENT) throw CannotCreateFile(destination, errno);
}
