#include "gif/FrameCleanup.h"

#include "gif/ScreenKeys.h"
#include "gif/ScreenMerge.h"
#include "gif/TransparentIndex.h"

void MoveLoopExtensionToFirstFrame(TGIFImage& image)
{
    TGIFImageList& frames = image.Images();
    if (frames.Count() < 2 || frames[0]->Extensions().Find<TGIFAppExtNSLoop>()) return;
    const TGIFAppExtNSLoop* loop = image.LoopExtension();
    if (!loop) return;
    auto moved = std::make_unique<TGIFAppExtNSLoop>();
    moved->LoopCount = loop->LoopCount;
    moved->BufferingSize = loop->BufferingSize;
    frames[0]->Extensions().Insert(0, std::move(moved));
}

void DropNeedlessTransparencyAndDisposal(TGIFImage& image)
{
    TGIFImageList& frames = image.Images();
    const int count = frames.Count();
    for (int i = 0; i < count; ++i) {
        TGIFSubImage& frame = *frames[i];
        if (frame.Transparent() &&
            !ContainsIndex(frame.Pixels(), std::uint8_t(frame.TransparentIndex()), frame.PixelsSize()))
            frame.GraphicControl()->SetTransparentFlag(false);
    }
    for (int i = 0; i + 1 < count; ++i) {
        TGIFSubImage& frame = *frames[i];
        TGIFSubImage& next = *frames[i + 1];
        const int disposal = frame.DisposalMethod();
        // The next frame's own restore-to-previous would bring back
        // this frame's disposed state: then the disposal matters.
        if ((disposal != 2 && disposal != 3) || next.Transparent() || next.DisposalMethod() == 3) continue;
        const TScreenRect overlap = Intersection(FrameRect(frame), FrameRect(next));
        if (overlap.IsEmpty()) continue;
        if (overlap == FrameRect(frame)) frame.GraphicControl()->SetDisposalMethod(0);
    }
}

void DropNeedlessExtensions(TGIFImage& image)
{
    TGIFImageList& frames = image.Images();
    for (int k = frames.Count() - 1; k >= 0; --k) {
        TGIFSubImage& frame = *frames[k];
        TGIFExtensionList& extensions = frame.Extensions();
        for (int e = extensions.Count() - 1; e >= 0; --e) {
            TGIFExtension* extension = extensions[e];
            const bool loop = dynamic_cast<TGIFAppExtNSLoop*>(extension) != nullptr;
            if (dynamic_cast<TGIFCommentExtension*>(extension) || dynamic_cast<TGIFTextExtension*>(extension) ||
                dynamic_cast<TGIFUnknownAppExtension*>(extension) || (loop && (k > 0 || frames.Count() == 1)))
                extensions.Delete(e);
        }
        if (TGIFGraphicControlExtension* control = frame.GraphicControl()) {
            const bool single = frames.Count() == 1;
            if ((control->DelayTime() == 0 || single) && !control->TransparentFlag() && !control->WaitForInput() &&
                (control->DisposalMethod() < 2 || single))
                extensions.Delete(extensions.IndexOf(control));
        }
        if (frame.IsEmpty() && extensions.Empty()) frames.Delete(k);
    }
    UseLowestTransparentIndices(image);
}
