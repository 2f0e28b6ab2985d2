#include "compressors/base/FileErrors.h"

#include <system_error>
#include <utility>

std::string SystemReason(int error)
{
    // The category's message is strerror's text, and safe on any thread.
    return std::generic_category().message(error);
}

FileError::FileError(const std::string& message, std::string reason)
    : std::runtime_error(message), reason_(std::move(reason))
{
}

FileError CannotOpenFile(const std::string& path, int error)
{
    return CannotOpenFile(path, SystemReason(error));
}

FileError CannotOpenFile(const std::string& path, const std::string& reason)
{
    return FileError("Cannot open file \"" + path + "\". " + reason, reason);
}

FileError CannotCreateFile(const std::string& path, int error)
{
    return CannotCreateFile(path, SystemReason(error));
}

FileError SourceChanged()
{
    return FileError("Source changed while it was read", "changed while it was read");
}

FileError CannotCreateFile(const std::string& path, const std::string& reason)
{
    return FileError("Cannot create file \"" + path + "\". " + reason, reason);
}
