#include "app/cli/JsonResults.h"

#include "app/cli/JsonWrite.h"
#include "compressors/Optimizers.h"

namespace {

using Json = nlohmann::ordered_json;

const TJsonDecimals kDecimals{{"ratio", 2}, {"seconds", 3}, {"wall_seconds", 3}, {"cpu_seconds", 3}};

Json Ratio(long long optimized, long long original)
{
    return JsonRatio(optimized, original);
}

Json TextOrNull(bool given, const std::string& text)
{
    return given ? Json(text) : Json();
}

}  // namespace

void TJsonResults::Shown(const TJob& job, const TFileOutcome& outcome)
{
    const TJobResult& result = outcome.result;
    const bool failed = outcome.failed;
    const bool kept = !failed && !result.kept.empty();
    const bool partial = !failed && !result.partial.empty();
    const char* status = failed           ? "failed"
                         : outcome.reused ? "reused"
                         : result.copied  ? "copied"
                         : kept           ? "kept"
                         : partial        ? "partial"
                                          : "ok";
    // An output that is not smaller is the source's own bytes.
    const bool lossy =
        !failed && !result.copied && LossyLevel(job.kind, result.level) && result.optimizedSize < result.originalSize;
    if (keepFiles)
        files_.push_back(Json{
            {"source", job.source},
            {"destination", job.destination},
            {"kind", KindText(job.kind)},
            {"level", !failed && result.level >= 0 ? Json(result.level) : Json()},
            {"original", failed ? Json() : Json(result.originalSize)},
            {"optimized", failed ? Json() : Json(result.optimizedSize)},
            {"ratio", failed ? Json() : Ratio(result.optimizedSize, result.originalSize)},
            {"status", status},
            {"error", TextOrNull(failed, outcome.error)},
            {"fallback", TextOrNull(outcome.copiedUnchanged, "copied")},
            {"kept", TextOrNull(kept, result.kept)},
            {"partial", TextOrNull(partial, result.partial)},
            {"lossy", lossy},
            {"seconds", outcome.seconds},
        });
    ++count_;
    statuses_[status] = statuses_[status].get<long long>() + 1;
    if (failed) {
        ++failed_;
        return;
    }
    ++(result.copied ? copied_ : kept ? kept_ : partial ? partial_ : ok_);  // a reused file counts as what it was
    if (outcome.reused) ++reused_;
    if (lossy) ++lossy_;
    original_ += result.originalSize;
    optimized_ += result.optimizedSize;
}

Json TJsonResults::EmptyStatuses()
{
    Json statuses = Json::object();
    for (const std::string& status : JsonStatusKeys()) statuses[status] = 0;
    return statuses;
}

std::string TJsonResults::Text(const TJsonRun& run) const
{
    const Json totals{{"files", count_},
                      {"ok", ok_},
                      {"copied", copied_},
                      {"kept", kept_},
                      {"partial", partial_},
                      {"failed", failed_},
                      {"lossy", lossy_},
                      {"reused", reused_},
                      {"original", original_},
                      {"optimized", optimized_},
                      {"ratio", Ratio(optimized_, original_)}};
    return JsonDocument(run, files_, totals, statuses_);
}

TRunTally TJsonResults::Tally() const
{
    return {count_, original_, optimized_, failed_, kept_, partial_, reused_, 0};
}

const std::vector<std::string>& JsonFileKeys()
{
    static const std::vector<std::string> keys{"source",    "destination", "kind",   "level",  "original",
                                               "optimized", "ratio",       "status", "error",  "fallback",
                                               "kept",      "partial",     "lossy",  "seconds"};
    return keys;
}

const std::vector<std::string>& JsonTotalsKeys()
{
    static const std::vector<std::string> keys{"files", "ok",     "copied",   "kept",      "partial", "failed",
                                               "lossy", "reused", "original", "optimized", "ratio"};
    return keys;
}

const std::vector<std::string>& JsonStatusKeys()
{
    static const std::vector<std::string> keys{"ok", "copied", "kept", "partial", "reused", "failed"};
    return keys;
}

Json JsonRatio(long long optimized, long long original)
{
    return original == 0 ? Json() : Json(static_cast<double>(optimized) * 100.0 / static_cast<double>(original));
}

std::string JsonDocument(const TJsonRun& run, const Json& files, const Json& totals, const Json& statuses)
{
    const Json document{{"schema", kJsonSchema},
                        {"program", "quorvan-optimize"},
                        {"version", run.version},
                        {"levels", run.levels},
                        {"shard", run.shard.empty() ? Json() : Json(run.shard)},
                        {"wall_seconds", run.wallSeconds},
                        {"cpu_seconds", run.cpuSeconds},
                        {"files", files},
                        {"totals", totals},
                        {"statuses", statuses}};
    return JsonLayout(document, kDecimals) + "\n";
}
