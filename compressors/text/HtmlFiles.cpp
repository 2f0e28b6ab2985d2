#include "compressors/text/HtmlFiles.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

#include <sys/stat.h>

#include "compressors/tools/FileErrors.h"

namespace {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

std::string Reason(int error)
{
    return std::strerror(error);
}

}  // namespace

std::string ReadHtmlFile(const std::string& path)
{
    File file(std::fopen(path.c_str(), "rb"));
    if (!file) throw CannotOpenFile(path, errno);
    struct stat info {};
    if (::fstat(::fileno(file.get()), &info) != 0) throw CannotOpenFile(path, errno);
    if (S_ISDIR(info.st_mode)) throw CannotOpenFile(path, EISDIR);
    std::string bytes;
    // A regular file is read straight into a string of its size; anything
    // else (a pipe, a file that grows) in chunks until its end.
    if (S_ISREG(info.st_mode) && info.st_size > 0) {
        bytes.resize(static_cast<std::size_t>(info.st_size));
        bytes.resize(std::fread(bytes.data(), 1, bytes.size(), file.get()));
    }
    char buffer[1 << 16];
    std::size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, file.get())) > 0) bytes.append(buffer, got);
    if (std::ferror(file.get())) throw FileError("Cannot read file \"" + path + "\". " + Reason(errno));
    return bytes;
}

void WriteHtmlFile(const std::string& path, std::string_view bytes)
{
    File file(std::fopen(path.c_str(), "wb"));
    if (!file) throw CannotCreateFile(path, errno);
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file.get()) == bytes.size();
    const bool closed = std::fclose(file.release()) == 0;
    if (!written || !closed) throw FileError("Cannot write file \"" + path + "\". " + Reason(errno));
}

void RemoveHtmlFileQuietly(const std::string& path)
{
    std::remove(path.c_str());
}
