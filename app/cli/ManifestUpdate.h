#pragma once
// An incremental run's manifest: read before the run, brought up to date as
// files end, written at the end (whole or not at all).

#include <ostream>
#include <string>

#include "app/core/Run.h"

// The records of the manifest at `path`: none when it is missing; none, with
// one warning on `err`, when it cannot be read or is damaged.
TOutputRecords LoadManifest(const std::string& path, std::ostream& err);

// Starts from the records read; a file that ended well replaces its record, one
// that failed or was cancelled loses it; the records of files not run stay.
class TManifestUpdate : public TRunObserver {
public:
    TManifestUpdate(TOutputRecords records, std::string outputDirText);
    void Finished(const TJob& job, const TFileOutcome& outcome) override;
    const TOutputRecords& Records() const { return records_; }
    void Forget(const std::string& name) { records_.erase(name); }

private:
    TOutputRecords records_;
    std::string outputDirText_;
};
