#pragma once
// The file faults every optimizer raises, in one place: "Cannot open file ..."
// for a file that is read and "Cannot create file ..." for a file that is
// written, each followed by the system's reason.

#include <stdexcept>
#include <string>

class FileError : public std::runtime_error {
public:
    FileError(const std::string& message, std::string reason);
    // The system's reason alone, e.g. "No space left on device".
    const std::string& Reason() const { return reason_; }

private:
    std::string reason_;
};

// The system's text for an errno value, e.g. "No such file or directory".
std::string SystemReason(int error);

// "Cannot open file "<path>". <strerror(error)>"
FileError CannotOpenFile(const std::string& path, int error);
// "Cannot open file "<path>". <reason>"
FileError CannotOpenFile(const std::string& path, const std::string& reason);
// "Source changed while it was read": its size moved while the run read it.
FileError SourceChanged();
// "Cannot create file "<path>". <strerror(error)>"
FileError CannotCreateFile(const std::string& path, int error);
// "Cannot create file "<path>". <reason>"
FileError CannotCreateFile(const std::string& path, const std::string& reason);
