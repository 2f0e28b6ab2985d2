#include "app/core/OutputRecord.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <vector>

#include "compressors/tools/FileErrors.h"
#include "compressors/tools/Files.h"

namespace {

constexpr std::uint64_t kMultiplier1 = 0x9e3779b97f4a7c15ULL;
constexpr std::uint64_t kMultiplier2 = 0xbf58476d1ce4e5b9ULL;
constexpr std::uint64_t kMultiplier3 = 0x94d049bb133111ebULL;
constexpr std::size_t kChunk = 1 << 16;

std::uint64_t RotateLeft(std::uint64_t value, int bits)
{
    return (value << bits) | (value >> (64 - bits));
}

// Eight bytes at a time, little-endian; the tail and the length close it.
class THash {
public:
    void Add(const unsigned char* bytes, std::size_t count)
    {
        length_ += count;
        for (; count > 0; --count) {
            pending_ |= std::uint64_t(*bytes++) << (8 * pendingCount_);
            if (++pendingCount_ == 8) Mix();
        }
    }
    std::uint64_t Length() const { return length_; }
    std::uint64_t Value()
    {
        if (pendingCount_ > 0) Mix();
        std::uint64_t h = state_ ^ length_;
        h = (h ^ (h >> 30)) * kMultiplier2;
        h = (h ^ (h >> 27)) * kMultiplier3;
        return h ^ (h >> 31);
    }

private:
    void Mix()
    {
        state_ = RotateLeft(state_ ^ (pending_ * kMultiplier1), 29) * kMultiplier2;
        pending_ = 0;
        pendingCount_ = 0;
    }

    std::uint64_t state_ = kMultiplier3;
    std::uint64_t pending_ = 0;
    int pendingCount_ = 0;
    std::uint64_t length_ = 0;
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
    std::vector<unsigned char> buffer(kChunk);
    THash hash;
    while (const std::size_t count = file.Read(reinterpret_cast<char*>(buffer.data()), buffer.size()))
        hash.Add(buffer.data(), count);
    if (size) *size = hash.Length();
    return hash.Value();
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
        recorded.version != now.version)
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
    result.originalSize = static_cast<FileSize>(recorded.originalSize);
    result.optimizedSize = static_cast<FileSize>(recorded.outputSize);
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
