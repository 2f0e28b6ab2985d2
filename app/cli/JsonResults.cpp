#include "app/cli/JsonResults.h"

#include <cstdio>

#include "app/cli/JsonText.h"
#include "compressors/Optimizers.h"

namespace {

std::string Fixed(double value, int decimals)
{
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

std::string Ratio(long long optimized, long long original)
{
    return original == 0 ? "null" : Fixed(static_cast<double>(optimized) * 100.0 / static_cast<double>(original), 2);
}

}  // namespace

void TJsonResults::Shown(const TJob& job, const TFileOutcome& outcome)
{
    const TJobResult& result = outcome.result;
    const bool kept = !outcome.failed && result.kept;
    const char* status = outcome.failed   ? "failed"
                         : outcome.reused ? "reused"
                         : result.copied  ? "copied"
                         : kept           ? "kept"
                                          : "ok";
    std::string object = "{\"source\": " + JsonString(job.source) +
                         ", \"destination\": " + JsonString(job.destination) + ", \"kind\": \"" + KindText(job.kind) +
                         "\", \"level\": ";
    object += !outcome.failed && result.level >= 0 ? std::to_string(result.level) : std::string("null");
    // An output that is not smaller is the source's own bytes.
    const bool lossy = !outcome.failed && !result.copied && LossyLevel(job.kind, result.level) &&
                       result.optimizedSize < result.originalSize;
    if (outcome.failed) {
        object += ", \"original\": null, \"optimized\": null, \"ratio\": null";
    } else {
        object += ", \"original\": " + std::to_string(result.originalSize) +
                  ", \"optimized\": " + std::to_string(result.optimizedSize) +
                  ", \"ratio\": " + Ratio(result.optimizedSize, result.originalSize);
    }
    object += ", \"status\": \"" + std::string(status) +
              "\", \"error\": " + (outcome.failed ? JsonString(outcome.error) : std::string("null")) +
              ", \"fallback\": " + (outcome.copiedUnchanged ? "\"copied\"" : "null") +
              ", \"kept\": " + (kept ? "\"output did not match\"" : "null") +
              ", \"lossy\": " + (lossy ? "true" : "false") + ", \"seconds\": " + Fixed(outcome.seconds, 3) + "}";
    files_ += (count_ == 0 ? "\n    " : ",\n    ") + object;
    ++count_;
    if (outcome.failed) {
        ++failed_;
        return;
    }
    ++(result.copied ? copied_ : kept ? kept_ : ok_);  // a reused file counts as what it was
    if (lossy) ++lossy_;
    original_ += result.originalSize;
    optimized_ += result.optimizedSize;
}

std::string TJsonResults::Text() const
{
    return "{\n  \"files\": [" + files_ + (count_ == 0 ? "" : "\n  ") +
           "],\n  \"totals\": {\"files\": " + std::to_string(count_) + ", \"ok\": " + std::to_string(ok_) +
           ", \"copied\": " + std::to_string(copied_) + ", \"kept\": " + std::to_string(kept_) + ", \"failed\": " + std::to_string(failed_) + ", \"lossy\": " + std::to_string(lossy_) +
           ", \"original\": " + std::to_string(original_) + ", \"optimized\": " + std::to_string(optimized_) +
           ", \"ratio\": " + Ratio(optimized_, original_) + "}\n}\n";
}
