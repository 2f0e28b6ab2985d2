#include "gif/FrameOptimizer.h"

#include <optional>
#include <vector>

#include "gif/ColorMapSort.h"
#include "gif/FrameCleanup.h"
#include "gif/FrameCrop.h"
#include "gif/FrameMerge.h"

void OptimizeFrames(TGIFImage& image, const TGIFOptimizeSteps& steps)
{
    if (image.Images().Empty()) return;
    if (steps.Cleanup) MoveLoopExtensionToFirstFrame(image);
    if (steps.ColorMaps) SortColorMaps(image);
    if (steps.Cleanup) DropNeedlessTransparencyAndDisposal(image);
    // Per frame that restores to background, the area it must clear (when
    // known): it is cropped to that.
    std::optional<std::vector<TScreenRect>> cleared;
    if (steps.Merge) cleared = MergeFrames(image);
    if (steps.Crop) CropFrames(image, cleared);
    if (steps.Cleanup) DropNeedlessExtensions(image);
}
