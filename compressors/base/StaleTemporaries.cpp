#include "compressors/base/StaleTemporaries.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace {

constexpr std::size_t kHexDigits = 16;

// The process id in a temporary file's name; 0 when the name is no such file's.
pid_t WriterOf(std::string_view name) noexcept
{
    for (const std::string_view prefix : {std::string_view(".qwo-"), std::string_view("_temporary.")}) {
        if (name.substr(0, prefix.size()) != prefix) continue;
        name.remove_prefix(prefix.size());
        std::uint64_t pid = 0;
        const auto [end, error] = std::from_chars(name.data(), name.data() + name.size(), pid);
        const auto digits = static_cast<std::size_t>(end - name.data());
        if (error != std::errc() || digits > 10 || pid == 0 || pid > 0x3FFFFFFF ||
            name.size() < digits + 1 + kHexDigits || name[digits] != '-')
            return 0;
        for (std::size_t i = digits + 1; i < digits + 1 + kHexDigits; ++i)
            if (!std::isxdigit(static_cast<unsigned char>(name[i])) || std::isupper(static_cast<unsigned char>(name[i])))
                return 0;
        return static_cast<pid_t>(pid);
    }
    return 0;
}

// A process that cannot be signalled for lack of rights still exists.
bool Alive(pid_t pid)
{
    return ::kill(pid, 0) == 0 || errno == EPERM;
}

}  // namespace

bool IsTemporaryName(std::string_view name) noexcept
{
    return WriterOf(name) != 0;
}

int RemoveStaleTemporaries(const std::string& folder) noexcept
{
    const std::string path = folder.empty() ? std::string(".") : folder;
    DIR* listing = ::opendir(path.c_str());
    if (!listing) return 0;
    int removed = 0;
    while (const dirent* entry = ::readdir(listing)) {
        const pid_t writer = WriterOf(entry->d_name);
        if (writer == 0 || writer == ::getpid() || Alive(writer)) continue;
        struct stat info {};
        if (::fstatat(::dirfd(listing), entry->d_name, &info, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(info.st_mode))
            continue;
        if (::unlinkat(::dirfd(listing), entry->d_name, 0) == 0) ++removed;
    }
    ::closedir(listing);
    return removed;
}
