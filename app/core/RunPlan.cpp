#include "app/core/RunPlan.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <map>
#include <string_view>
#include <system_error>
#include <unordered_map>
#include <utility>

#include "app/core/PathParts.h"
#include "compressors/base/FileErrors.h"

namespace {

constexpr int kMaxLinks = 40;  // as the kernel follows them

using FileIdentity = std::pair<dev_t, ino_t>;

// The listed sources by device and inode (links followed); the first listing
// of a file names it.
class TSourceIndex {
public:
    explicit TSourceIndex(const std::vector<std::string>& sources)
    {
        for (const std::string& source : sources) {
            struct stat info {};
            if (::stat(source.c_str(), &info) == 0) sources_.emplace(FileIdentity{info.st_dev, info.st_ino}, source);
        }
    }

    // The listed source that `path` reaches, or nullptr.
    const std::string* SourceAt(const std::string& path) const
    {
        struct stat info {};
        if (::stat(path.c_str(), &info) != 0) return nullptr;
        const auto found = sources_.find(FileIdentity{info.st_dev, info.st_ino});
        return found == sources_.end() ? nullptr : &found->second;
    }

private:
    std::map<FileIdentity, std::string> sources_;
};

std::string FolderOf(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// Where a write to `path` would land if it followed links: the links of the
// last component followed (also to a target that does not exist), then every
// folder resolved. Empty when the links loop (`error`: ELOOP) or the path
// cannot be read (`error`: the system's, e.g. ENAMETOOLONG).
std::string ResolvedPath(const std::string& path, int& error)
{
    std::string current = path;
    for (int hop = 0;; ++hop) {
        struct stat info {};
        if (::lstat(current.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) break;
        error = ELOOP;
        if (hop == kMaxLinks) return {};
        std::error_code failure;
        const std::string target = std::filesystem::read_symlink(current, failure).string();
        if (failure) return error = failure.value(), std::string();
        current = !target.empty() && target.front() == '/' ? target : FolderOf(current) + target;
    }
    std::error_code failure;
    const std::filesystem::path resolved =
        std::filesystem::weakly_canonical(std::filesystem::absolute(current), failure);
    error = failure.value();
    return failure ? std::string() : resolved.string();
}

// A relative destination that stays below the folder it is added to.
bool ValidRelative(const std::string& relative)
{
    if (relative.empty() || relative.front() == '/' || relative.back() == '/') return false;
    std::size_t start = 0;
    while (start <= relative.size()) {
        std::size_t end = relative.find('/', start);
        if (end == std::string::npos) end = relative.size();
        const std::string_view part(relative.data() + start, end - start);
        if (part.empty() || part == "." || part == "..") return false;
        start = end + 1;
    }
    return true;
}

bool Inside(const std::string& path, const std::string& folder)
{
    const std::string prefix = folder.back() == '/' ? folder : folder + "/";
    return path.size() > prefix.size() && path.compare(0, prefix.size(), prefix) == 0;
}

std::string Refusal(const TJob& job, const TSourceIndex& sources, const std::string& outputFolder,
                    const std::string& resolvedFolder)
{
    if (const std::string* listed = sources.SourceAt(job.destination)) {
        const bool own = sources.SourceAt(job.source) == listed;
        return CannotCreateFile(job.destination, own ? std::string("The destination is the source file.")
                                                     : "The destination is the listed source \"" + *listed + "\".")
            .what();
    }
    if (resolvedFolder.empty()) return {};
    int error = 0;
    const std::string resolved = ResolvedPath(job.destination, error);
    if (resolved.empty()) return CannotCreateFile(job.destination, error).what();
    if (!Inside(resolved, resolvedFolder))
        return CannotCreateFile(job.destination, "A link leads it to \"" + resolved +
                                                     "\", outside the output folder \"" + outputFolder + "\".")
            .what();
    return {};
}

}  // namespace

std::string OutputFolderOf(const std::string& outputDirText)
{
    const std::string folder = FolderOf(outputDirText);
    return folder.empty() ? std::string("./") : folder;
}

std::vector<TJob> PlaceJobs(const std::vector<TListEntry>& entries, const std::string& outputDirText)
{
    const std::string prefixFolder = FolderOf(outputDirText);  // what the destinations start with
    std::vector<TJob> jobs;
    jobs.reserve(entries.size());
    for (const TListEntry& entry : entries) {
        TJob job{entry.source, {}, FileKindOf(entry.source, LetterCase::Exact), {}, {}, {}};
        if (entry.relative.empty()) {
            job.destination = outputDirText + FileNameOf(entry.source);
        } else {
            job.destination = outputDirText + entry.relative;
            if (!ValidRelative(entry.relative)) {
                job.refusal = CannotCreateFile(job.destination, "Not a path below the output folder.").what();
            } else {
                job.folderBase = prefixFolder;
                job.newFolders = FolderOf(job.destination.substr(prefixFolder.size()));
                if (!job.newFolders.empty()) job.newFolders.pop_back();
            }
        }
        jobs.push_back(std::move(job));
    }
    return jobs;
}

std::vector<TDestinationClash> FindClashes(const std::vector<TJob>& jobs)
{
    // Destination -> its clash entry; a source counts once by its identity.
    std::unordered_map<std::string, std::size_t> byDestination;
    std::vector<TDestinationClash> all;
    std::vector<std::vector<FileIdentity>> identities;
    for (const TJob& job : jobs) {
        struct stat info {};
        const bool known = ::stat(job.source.c_str(), &info) == 0;
        const FileIdentity identity{info.st_dev, info.st_ino};
        const auto [found, added] = byDestination.emplace(job.destination, all.size());
        if (added) {
            all.push_back({job.destination, {job.source}});
            identities.push_back({identity});
            continue;
        }
        TDestinationClash& clash = all[found->second];
        std::vector<FileIdentity>& seen = identities[found->second];
        const bool same = std::find(clash.sources.begin(), clash.sources.end(), job.source) != clash.sources.end() ||
                          (known && std::find(seen.begin(), seen.end(), identity) != seen.end());
        if (same) continue;
        clash.sources.push_back(job.source);
        seen.push_back(identity);
    }
    std::vector<TDestinationClash> clashes;
    for (TDestinationClash& clash : all)
        if (clash.sources.size() > 1) clashes.push_back(std::move(clash));
    return clashes;
}

void CheckDestinations(std::vector<TJob>& jobs, const std::string& outputFolder)
{
    std::vector<std::string> listed;
    listed.reserve(jobs.size());
    for (const TJob& job : jobs) listed.push_back(job.source);
    const TSourceIndex sources(listed);
    // A folder that does not exist yet cannot hold links: nothing to resolve.
    std::error_code error;
    const std::filesystem::path canonical = std::filesystem::canonical(outputFolder, error);
    const std::string resolvedFolder = error ? std::string() : canonical.string();
    for (TJob& job : jobs)
        if (job.refusal.empty()) job.refusal = Refusal(job, sources, outputFolder, resolvedFolder);
}

std::string RunOutputClash(const std::vector<TRunOutput>& outputs, const std::vector<TJob>& jobs)
{
    const auto resolved = [](const std::string& path) {
        std::error_code error;
        const std::filesystem::path full = std::filesystem::weakly_canonical(path, error);
        return error ? std::filesystem::absolute(path).lexically_normal() : full;
    };
    std::vector<std::pair<const TRunOutput*, std::filesystem::path>> seen;
    for (const TRunOutput& output : outputs) {
        if (output.path.empty()) continue;
        const std::filesystem::path path = resolved(output.path);
        for (const auto& [other, otherPath] : seen)
            if (otherPath == path)
                return other->what + " and " + output.what + " would be one file \"" + output.path + "\"";
        // Only a destination with the same file name can be the same file.
        const std::string name = path.filename().string();
        for (const TJob& job : jobs) {
            const std::size_t slash = job.destination.rfind('/');
            if (job.destination.compare(slash == std::string::npos ? 0 : slash + 1, std::string::npos, name) != 0)
                continue;
            if (resolved(job.destination) == path)
                return output.what + " \"" + output.path + "\" would replace the output of \"" + job.source + "\"";
        }
        seen.emplace_back(&output, path);
    }
    return {};
}

std::string ReportRefusal(const std::string& path, const std::vector<std::string>& sources)
{
    const TSourceIndex index(sources);
    const std::string* listed = index.SourceAt(path);
    if (listed == nullptr) return {};
    return CannotCreateFile(path, "The report would replace the listed source \"" + *listed + "\".").what();
}
