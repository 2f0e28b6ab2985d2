#include "compressors/text/HtmlFiles.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

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
    if (!file)
        throw CannotOpenFile(path, errno);
    std::string bytes;
    if (std::fseek(file.get(), 0, SEEK_END) == 0) {
        const long size = std::ftell(file.get());
        if (size > 0)
            bytes.reserve(static_cast<std::size_t>(size));
        std::rewind(file.get());
    }
    char buffer[1 << 16];
    std::size_t got;
    // Read straight into the reserved string when the size is known.
    if (bytes.capacity() > 0) {
        bytes.resize(bytes.capacity());
        std::size_t used = 0;
        while ((got = std::fread(bytes.data() + used, 1, bytes.size() - used, file.get())) > 0) {
            used += got;
            if (used == bytes.size())
                break;
        }
        bytes.resize(used);
    }
    while ((got = std::fread(buffer, 1, sizeof buffer, file.get())) > 0)
        bytes.append(buffer, got);
    if (std::ferror(file.get()))
        throw FileError("Cannot read file \"" + path + "\". " + Reason(errno));
    return bytes;
}

void WriteHtmlFile(const std::string& path, std::string_view bytes)
{
    File file(std::fopen(path.c_str(), "wb"));
    if (!file)
        throw CannotCreateFile(path, errno);
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file.get()) == bytes.size();
    const bool closed = std::fclose(file.release()) == 0;
    if (!written || !closed)
        throw FileError("Cannot write file \"" + path + "\". " + Reason(errno));
}

void RemoveHtmlFileQuietly(const std::string& path)
{
    std::remove(path.c_str());
}
