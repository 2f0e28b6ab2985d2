#include "compressors/text/CssFileSink.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace {
constexpr std::size_t kBufferSize = 1 << 16;
}

CssFileSink::CssFileSink(const std::string& path)
    : path_(path), file_(::open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0666))
{
    if (!file_.valid()) throw CannotCreateFile(path, errno);
    buffer_.reserve(kBufferSize);
}

void CssFileSink::Append(std::string_view text)
{
    if (buffer_.size() + text.size() > kBufferSize) {
        Flush();
        if (text.size() >= kBufferSize) {
            WriteAll(text.data(), text.size());
            return;
        }
    }
    buffer_.append(text);
}

void CssFileSink::Close()
{
    Flush();
    // close() reports delayed write errors (for example a full disk).
    if (file_.Close() != 0) throw WriteFault(path_, errno);
}

void CssFileSink::Flush()
{
    WriteAll(buffer_.data(), buffer_.size());
    buffer_.clear();
}

void CssFileSink::WriteAll(const char* data, std::size_t length)
{
    while (length > 0) {
        const ssize_t written = ::write(file_.get(), data, length);
        if (written < 0) {
            if (errno == EINTR) continue;
            throw WriteFault(path_, errno);
        }
        data += written;
        length -= static_cast<std::size_t>(written);
    }
}

FileError CssFileSink::ReadFault(const std::string& path, int error)
{
    return FileError("Cannot read file \"" + path + "\". " + std::strerror(error));
}

FileError CssFileSink::WriteFault(const std::string& path, int error)
{
    return FileError("Cannot write file \"" + path + "\". " + std::strerror(error));
}
