#pragma once
// Progress reports around one long operation on an image.

#include <string>

#include "gif/GIFImage.h"

// Reports Starting (0) before work and Ending after it: 100 when work
// returns, 0 when it throws (the exception passes on). A null image reports
// nothing.
template <class Work>
void WithProgress(const TGIFImage* image, const std::string& message, Work&& work)
{
    if (image) image->Progress(TGIFProgressStage::Starting, 0, message);
    try {
        work();
    } catch (...) {
        if (image) image->Progress(TGIFProgressStage::Ending, 0, message);
        throw;
    }
    if (image) image->Progress(TGIFProgressStage::Ending, 100, message);
}
