#pragma once
// The file faults every optimizer raises: "Cannot open file ..." and
// "Cannot create file ...", each followed by the system's reason.

#include <stdexcept>
#include <string>

class FileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// "Cannot open file "<path>". <strerror(error)>"
FileError CannotOpenFile(const std::string& path, int error);
// "Cannot open file "<path>". <reason>"
FileError CannotOpenFile(const std::string& path, const std::string& reason);
// "Cannot create file "<path>". <strerror(error)>"
FileError CannotCreateFile(const std::string& path, int error);
// "Cannot create file "<path>". <reason>"
FileError CannotCreateFile(const std::string& path, const std::string& reason);
