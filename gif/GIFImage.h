#pragma once
// A whole GIF in memory: header (logical screen, global color table), the
// frames in file order, the encoding settings and the rendering options.
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <vector>

#include "gif/GIFAppExtensions.h"
#include "gif/GIFColorMap.h"
#include "gif/GIFException.h"
#include "gif/GIFExtensionList.h"
#include "gif/GIFExtensionRegistry.h"
#include "gif/GIFExtensions.h"
#include "gif/GIFHeader.h"
#include "gif/GIFItem.h"
#include "gif/GIFLimits.h"
#include "gif/GIFRenderOptions.h"
#include "gif/GIFStream.h"
#include "gif/GIFSubImage.h"
#include "gif/ImageProgress.h"

class TGIFImage;

// Frames in file order.
class TGIFImageList : public TGIFList<TGIFSubImage> {
public:
    explicit TGIFImageList(TGIFImage* image);
    // Frames up to the trailer (0x00 bytes between blocks skipped); a byte that
    // starts no block ends the list with the warning "Unknown GIF block type".
    void ReadFrom(TStream& stream, TGIFImage* image);
    // Every frame, with a progress report after each.
    void WriteTo(TStream& stream);

private:
    TGIFImage* fImage;
};

class TGIFImage final : public TGIFFrameOwner, public TGIFHeaderOwner {
public:
    // (sender, severity, message); severity 1 = warning.
    using TWarningHandler = std::function<void(const TGIFPersistent* sender, int severity, const std::string& message)>;
    // (stage, percent, message "Loading..." / "Saving...").
    using TProgressHandler = std::function<void(TGIFProgressStage stage, int percent, const std::string& message)>;
    // Each frame as soon as the reader has decoded its pixels.
    using TFrameReadHandler = std::function<void(TGIFSubImage& frame)>;

    TGIFImage();
    ~TGIFImage();
    TGIFImage(const TGIFImage&) = delete;
    TGIFImage& operator=(const TGIFImage&) = delete;

    TGIFHeader& Header() { return *fHeader; }
    const TGIFHeader& Header() const { return *fHeader; }
    TGIFImageList& Images() { return *fImages; }
    const TGIFImageList& Images() const { return *fImages; }
    TGIFGlobalColorMap& GlobalColorMap() override { return fHeader->ColorMap(); }
    const TGIFGlobalColorMap& GlobalColorMap() const { return fHeader->ColorMap(); }

    int Width() const { return fHeader->ScreenWidth; }
    int Height() const { return fHeader->ScreenHeight; }
    // Below a frame's extent: "Image width too small for contained frames" (height alike).
    void SetWidth(int width);
    void SetHeight(int height);
    bool Empty() const { return fImages->Empty(); }

    int MaxIndexBits() const override;
    int ResolutionBits() const;
    // gvUnknown without frames, else 87a or 89a as the frames require.
    int FileVersion() const override;
    // The header's PackedFields from the maps: global map flag, sort flag,
    // resolution and size (done on every write).
    void UpdatePackedFields() override;
    // Grows the logical screen so that every frame fits (never shrinks).
    void FitScreenToFrames();
    // Deletes all frames, resets the global map, zero screen size.
    void Clear();

    // The whole file from the stream's position; on an error the stream goes
    // back there (frames read before it stay).
    void ReadFrom(TStream& stream);
    void WriteTo(TStream& stream);
    void LoadFromBytes(std::span<const std::uint8_t> bytes);
    std::vector<std::uint8_t> SaveToBytes();
    void LoadFromFile(const std::string& path);
    void SaveToFile(const std::string& path);

    // Warning slot: calls WarningHandler when set.
    void Warn(const TGIFPersistent* sender, int severity, const std::string& message) const override;
    void Progress(TGIFProgressStage stage, int percent, const std::string& message) const;

    TWarningHandler WarningHandler;
    TProgressHandler ProgressHandler;
    TFrameReadHandler FrameReadHandler;

    // Encoding and import settings.
    int CompressionMethod = 0;  // 0 LZW, 1 run-length
    int ReductionMethod = 6;
    int ReductionDepth = 8;
    int DitherStyle = 0;
    std::uint16_t RenderOptions = 0x068F;
    // How the renderer draws this image's frames.
    TGIFRenderOptions Rendering;

    // Held by operations that rewrite all frames' pixels or maps.
    std::mutex PainterLock;
    void StopPainters() {}

    // Rendering cache of the whole image (palette, bitmap); dropped on change.
    std::unique_ptr<TGIFRenderCache> RenderCache;
    void ReleaseRendering() { RenderCache.reset(); }

    // Bytes of pixel memory held by this image's frames.
    std::uint64_t PixelBytes() const { return fPixelBytes; }
    // The frames' pixel memory is counted against this budget (shared with
    // other images or allocations of the same work) instead of the image's
    // own; only while the image holds no pixels.
    void ShareBudget(TGIFMemoryBudget& budget);
    TGIFMemoryBudget& Budget() { return *fBudget; }

    // When set, the reader skips the image data: frames keep their
    // descriptors, color tables and extensions, and no pixels.
    bool SkipImageData = false;

private:
    // The frames' owner.
    int ScreenWidth() const override;
    int ScreenHeight() const override;
    void FrameBoundsChanged(const TGIFSubImage& frame) override;
    void ReservePixelBytes(std::uint64_t bytes) override;
    void ReleasePixelBytes(std::uint64_t bytes) override;
    int FrameCompressionMethod() const override;
    bool SkipsImageData() const override { return SkipImageData; }
    void FrameRead(TGIFSubImage& frame) override;
    // The global color map's owner.
    void ColorMapWarning(const TGIFColorMap& map, int severity, const std::string& message) const override;
    void CountColorUsage(const TGIFColorMap& map, TGIFUsage& usage) const override;
    void RemapColorPixels(const TGIFColorMap& map, const TGIFTranslation& translation) override;
    void ColorMapChanged(const TGIFColorMap& map) override;
    bool ColorMapInUse(const TGIFColorMap& map) const override;

    std::unique_ptr<TGIFHeader> fHeader;
    std::unique_ptr<TGIFImageList> fImages;
    std::uint64_t fPixelBytes = 0;
    TGIFMemoryBudget fOwnBudget;
    TGIFMemoryBudget* fBudget = &fOwnBudget;
};

// The image a frame belongs to; null for a frame made without one.
TGIFImage* ImageOf(const TGIFSubImage& frame);
