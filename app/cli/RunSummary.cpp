#include "app/cli/RunSummary.h"

#include <sys/resource.h>

#include <cstdio>

#include "app/core/HumanSize.h"

namespace {

std::string Trimmed(const std::string& text)
{
    return text.substr(std::min(text.find_first_not_of(' '), text.size()));
}

double Seconds(const timeval& time)
{
    return static_cast<double>(time.tv_sec) + static_cast<double>(time.tv_usec) / 1e6;
}

}  // namespace

std::string SizesText(long long original, long long optimized)
{
    return Trimmed(HumanSize(original)) + " -> " + Trimmed(HumanSize(optimized)) + " (" +
           RatioText(optimized, original) + ")";
}

std::string SummaryLine(const TRunTally& tally)
{
    std::string line = std::to_string(tally.files) + (tally.files == 1 ? " file, " : " files, ") +
                       SizesText(tally.original, tally.optimized);
    for (const auto& [count, what] : {std::pair{tally.failed, "failed"},
                                      {tally.kept, "kept"},
                                      {tally.partial, "partial"},
                                      {tally.reused, "reused"}})
        if (count > 0) line += ", " + std::to_string(count) + " " + what;
    char seconds[32];
    std::snprintf(seconds, sizeof seconds, ", %.1f s", tally.seconds);
    return line + seconds;
}

double ProcessorSeconds()
{
    double total = 0;
    for (const int who : {RUSAGE_SELF, RUSAGE_CHILDREN}) {
        rusage usage{};
        if (getrusage(who, &usage) == 0) total += Seconds(usage.ru_utime) + Seconds(usage.ru_stime);
    }
    return total;
}
