#include "app/cli/ManifestUpdate.h"

#include <sys/stat.h>

#include <cerrno>
#include <exception>
#include <utility>

#include "app/cli/JsonRead.h"
#include "app/cli/ManifestFile.h"
#include "compressors/base/Files.h"

TOutputRecords LoadManifest(const std::string& path, std::ostream& err)
{
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0 && errno == ENOENT) return {};
    try {
        return ParseManifest(ReadEntireFile(path));
    } catch (const std::exception& error) {
        err << "quorvan-optimize: warning: ignoring the manifest \"" << path << "\" (" << error.what()
            << "): every file is optimized again\n";
        return {};
    }
}

TManifestUpdate::TManifestUpdate(TOutputRecords records, std::string outputDirText)
    : records_(std::move(records)), outputDirText_(std::move(outputDirText))
{
}

void TManifestUpdate::Finished(const TJob& job, const TFileOutcome& outcome)
{
    const std::string name = RecordName(job.destination, outputDirText_);
    if (name.empty()) return;
    if (!outcome.failed && outcome.record)
        records_[name] = *outcome.record;
    else
        records_.erase(name);
}
