#include "compressors/base/PlainCopy.h"

#include <algorithm>
#include <cstdint>
#include <vector>

#include "compressors/base/FileErrors.h"
#include "compressors/base/Files.h"
#include "compressors/base/SourceGuard.h"

void PlainCopy(const std::string& source, const std::string& destination, FileSize& originalSize,
               FileSize& optimizedSize, const TRunEnvironment& environment)
{
    CopyInChunks(source, destination, originalSize, optimizedSize, {}, environment.control.get());
}

void CopyInChunks(const std::string& source, const std::string& destination, FileSize& originalSize,
                  FileSize& optimizedSize, const CopyChunkObserver& observer, TRunControl* control)
{
    InputFile input(source);
    EnsureNotSource(source, destination);
    FileReplacement output(destination, control);
    originalSize = optimizedSize = CopyChunks(input, output, observer);
    output.Commit();
}

FileSize CopyChunks(InputFile& input, FileReplacement& output, const CopyChunkObserver& observer)
{
    const std::uint64_t sourceSize = input.Size();
    std::vector<char> buffer(static_cast<std::size_t>(std::min<std::uint64_t>(sourceSize, kCopyChunkSize)));
    std::uint64_t position = 0;
    while (position < sourceSize) {
        const std::size_t got = input.Read(buffer.data(), buffer.size());
        if (got == 0) break;
        output.Write({buffer.data(), got});
        if (observer) observer(got);
        position += got;
    }
    if (position != sourceSize || input.CurrentSize() != sourceSize) throw SourceChanged();
    return static_cast<FileSize>(static_cast<std::uint32_t>(sourceSize));
}
