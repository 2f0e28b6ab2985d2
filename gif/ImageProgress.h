#pragma once
// Progress reports around one long operation on an image.
#include <string>

enum class TGIFProgressStage { Starting, Running, Ending };

// Reports Starting (0) before work and Ending after it: 100 when work
// returns, 0 when it throws (the exception passes on). Reporter is anything
// with Progress(stage, percent, message), the image; null reports nothing.
template <class Reporter, class Work>
void WithProgress(const Reporter* reporter, const std::string& message, Work&& work)
{
    if (reporter) reporter->Progress(TGIFProgressStage::Starting, 0, message);
    try {
        work();
    } catch (...) {
        if (reporter) reporter->Progress(TGIFProgressStage::Ending, 0, message);
        throw;
    }
    if (reporter) reporter->Progress(TGIFProgressStage::Ending, 100, message);
}
