#include "app/core/OutputRecord.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <xxhash.h>

#include <cerrno>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

#include "compressors/base/FileErrors.h"
#include "compressors/base/Files.h"

namespace {

constexpr std::size_t kChunk = 1 << 16;

struct TFreeState {
    void operator()(XXH3_state_t* state) const { XXH3_freeState(state); }
};

std::int64_t TimeNs(const struct timespec& time)
{
    return std::int64_t(time.tv_sec) * 1000000000 + time.tv_nsec;
}

}  // namespace

const char* KindText(FileKind kind)
{
    return kind ? kind->name.c_str() : "other";
}

std::string AppliedLevels(FileKind kind, const TLevels& levels, bool pluginMissing)
{
    if (!kind) return {};
    if (pluginMissing && kind->plugin) return "copy";
    std::string applied = kind->name + "=" + std::to_string(levels.Of(*kind));
    for (const std::string& other : kind->alsoUses) applied += " " + other + "=" + std::to_string(levels.Of(other));
    return applied;
}

std::uint64_t HashFile(const std::string& path, std::uint64_t* size)
{
    InputFile file(path);
    const std::unique_ptr<XXH3_state_t, TFreeState> state(XXH3_createState());
    if (!state || XXH3_64bits_reset(state.get()) != XXH_OK) throw std::bad_alloc();
    std::vector<char> buffer(kChunk);
    std::uint64_t length = 0;
    while (const std::size_t count = file.Read(buffer.data(), buffer.size())) {
        XXH3_64bits_update(state.get(), buffer.data(), count);
        length += count;
    }
    if (size) *size = length;
    return XXH3_64bits_digest(state.get());
}

TOutputRecord SourceRecord(const std::string& path)
{
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) throw CannotOpenFile(path, errno);
    TOutputRecord record;
    record.sourceSize = static_cast<std::uint64_t>(info.st_size);
    record.sourceTimeNs = TimeNs(info.st_mtim);
    record.sourceHash = HashFile(path);
    return record;
}

std::optional<TJobResult> Reusable(const TOutputRecord& recorded, const TOutputRecord& now,
                                   const std::string& destination)
{
    if (recorded.sourceSize != now.sourceSize || recorded.sourceTimeNs != now.sourceTimeNs ||
        recorded.sourceHash != now.sourceHash || recorded.kind != now.kind || recorded.levels != now.levels ||
        recorded.version != now.version || recorded.partial)
        return std::nullopt;
    struct stat info {};
    if (::lstat(destination.c_str(), &info) != 0 || !S_ISREG(info.st_mode) ||
        static_cast<std::uint64_t>(info.st_size) != recorded.outputSize)
        return std::nullopt;
    try {
        if (HashFile(destination) != recorded.outputHash) return std::nullopt;
    } catch (const FileError&) {
        return std::nullopt;
    }
    TJobResult result;
    result.originalSize = static_cast<ByteCount>(recorded.originalSize);
    result.optimizedSize = static_cast<ByteCount>(recorded.outputSize);
    result.copied = recorded.copied;
    result.kept = recorded.kept;
    result.level = recorded.level;
    return result;
}

std::string RecordName(const std::string& destination, const std::string& outputDirText)
{
    if (destination.size() <= outputDirText.size() || destination.compare(0, outputDirText.size(), outputDirText) != 0)
        return {};
    return destination.substr(outputDirText.size());
}

void CopyModificationTime(const std::string& source, const std::string& destination)
{
    struct stat from {};
    struct stat to {};
    if (::stat(source.c_str(), &from) != 0) throw CannotOpenFile(source, errno);
    if (::lstat(destination.c_str(), &to) != 0) throw CannotCreateFile(destination, errno);
    if (TimeNs(from.st_mtim) == TimeNs(to.st_mtim)) return;
    const struct timespec times[2] = {{0, UTIME_OMIT}, from.st_mtim};
    if (::utimensat(AT_FDCWD, destination.c_str(), times, AT_SYMLINK_NOFOLLOW) != 0)
        throw CannotCreateFile(destination, errno);
}
