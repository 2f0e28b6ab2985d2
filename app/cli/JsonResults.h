#pragma once
// The run's results as JSON: collected from the rows as they are shown.

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "app/cli/RunSummary.h"
#include "app/core/Run.h"

// The run's own members of the JSON document.
struct TJsonRun {
    std::string version;                     // the program's
    nlohmann::ordered_json levels;           // {"css": 2, ...}: every row's level
    std::string shard;                       // "K/N"; empty: the whole list
    double wallSeconds = 0, cpuSeconds = 0;  // CPU: the program and its plug-ins
};

constexpr int kJsonSchema = 1;

// {"schema": 1, "program", "version", "levels", "shard" (null for the
// whole list), "wall_seconds", "cpu_seconds", "files": [one object per
// shown row, in list order], "totals": {...}, "statuses": {the files by their
// status: ok, copied, kept, partial, reused, failed}}.
// A file: source, destination (JsonString), kind ("css", "gif", "html", "js",
// "png", "jpeg", "other"), level (the file's own level; null for a copy),
// original and optimized (bytes; null when failed), ratio (optimized * 100 /
// original with two decimals; null when failed or the original is empty),
// status ("ok", "copied" unchanged, "kept": an image whose output did not
// show the source's picture, so its source's bytes were written, "partial": a
// page whose output left scripts as written, "reused"
// from an earlier incremental run with its recorded sizes and level,
// "failed"), error (the reason; null), fallback (what a failed file's
// destination got instead: "copied", its source unchanged; null), kept
// (why a kept image's source was written, e.g. "output did not match", also
// when reused; null), partial ("1 script kept as written (REASON)"; null), lossy (written at a level that may change
// what a visitor sees, LossyLevel, and smaller: not the source's bytes), seconds (its optimization's wall time).
// Totals: files, ok, copied (a reused file counts as it did when optimized), kept, partial, failed, lossy (the files
// written lossy), reused (the files an earlier run's outputs served), original and optimized (sums over the files not
// failed), ratio.
class TJsonResults : public TRunObserver {
public:
    void Shown(const TJob& job, const TFileOutcome& outcome) override;
    std::string Text(const TJsonRun& run) const;
    TRunTally Tally() const;  // seconds left 0
    bool keepFiles = true;    // false: only count (no JSON file is written)

private:
    nlohmann::ordered_json files_ = nlohmann::ordered_json::array();
    long long count_ = 0, ok_ = 0, copied_ = 0, kept_ = 0, partial_ = 0, failed_ = 0, lossy_ = 0, reused_ = 0;
    long long original_ = 0, optimized_ = 0;
    nlohmann::ordered_json statuses_ = EmptyStatuses();

    static nlohmann::ordered_json EmptyStatuses();
};

// The order of the members of a file, of the totals and of the statuses, as Text writes them.
const std::vector<std::string>& JsonFileKeys();
const std::vector<std::string>& JsonTotalsKeys();
const std::vector<std::string>& JsonStatusKeys();

// The whole document (Text, and the merge of several).
std::string JsonDocument(const TJsonRun& run, const nlohmann::ordered_json& files, const nlohmann::ordered_json& totals,
                         const nlohmann::ordered_json& statuses);

// The ratio member: optimized * 100 / original, null when original is 0.
nlohmann::ordered_json JsonRatio(long long optimized, long long original);
