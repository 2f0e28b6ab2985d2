#include "compressors/tools/FileErrors.h"

#include <cstring>

FileError CannotOpenFile(const std::string& path, int error)
{
    return CannotOpenFile(path, std::string(std::strerror(error)));
}

FileError CannotOpenFile(const std::string& path, const std::string& reason)
{
    return FileError("Cannot open file \"" + path + "\". " + reason);
}

FileError CannotCreateFile(const std::string& path, int error)
{
    return CannotCreateFile(path, std::string(std::strerror(error)));
}

FileError CannotCreateFile(const std::string& path, const std::string& reason)
{
    return FileError("Cannot create file \"" + path + "\". " + reason);
}
