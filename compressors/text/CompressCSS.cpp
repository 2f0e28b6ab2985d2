#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <string>

#include "compressors/Compressors.h"
#include "compressors/text/CssBasic.h"
#include "compressors/text/CssFileSink.h"
#include "compressors/text/CssRegrouper.h"
#include "compressors/tools/FileDescriptor.h"
#include "compressors/tools/FileErrors.h"
#include "compressors/tools/SourceGuard.h"

namespace {

// The whole file in one string.
std::string ReadWholeFile(const std::string& path)
{
    FileDescriptor input(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (!input.valid()) throw CannotOpenFile(path, errno);
    struct stat info {};
    if (::fstat(input.get(), &info) != 0) throw CannotOpenFile(path, errno);
    if (S_ISDIR(info.st_mode)) throw CannotOpenFile(path, EISDIR);

    std::string content(static_cast<std::size_t>(info.st_size), '\0');
    std::size_t got = 0;
    while (got < content.size()) {
        const ssize_t n = ::read(input.get(), content.data() + got, content.size() - got);
        if (n < 0) {
            if (errno == EINTR) continue;
            throw CssFileSink::ReadFault(path, errno);
        }
        if (n == 0) break;  // the file shrank meanwhile
        got += static_cast<std::size_t>(n);
    }
    content.resize(got);
    return content;
}

}  // namespace

void CompressCSS(const std::string& source, const std::string& destination, Level level, FileSize& originalSize,
                 FileSize& optimizedSize)
{
    if (level == 0) {
        PlainCopy(source, destination, originalSize, optimizedSize);
        return;
    }
    std::string text = ReadWholeFile(source);
    originalSize = static_cast<FileSize>(static_cast<std::uint32_t>(text.size()));
    MinifyCSSBasicInPlace(text);

    // Level 2 is written straight from the pair table, so the regrouped
    // sheet never needs a second buffer.
    CssRegrouper regrouper(text);
    bool regroup = level == 2 && regrouper.Read();
    std::uint64_t length = text.size();
    if (regroup) {
        const std::uint64_t regrouped = regrouper.Plan();
        regroup = regrouped <= text.size();
        if (regroup) length = regrouped;
    }

    EnsureNotSource(source, destination);
    CssFileSink output(destination);
    if (regroup)
        regrouper.Write(output);
    else
        output.Append(text);
    output.Close();
    optimizedSize = static_cast<FileSize>(static_cast<std::uint32_t>(length));
}
