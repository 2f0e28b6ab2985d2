#pragma once
// A whole GIF in memory: header (logical screen, global color table), the
// frames in file order, and the encoding settings.
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <vector>

#include "gif/GIFColorMap.h"
#include "gif/GIFException.h"
#include "gif/GIFExtension.h"
#include "gif/GIFExtensions.h"
#include "gif/GIFHeader.h"
#include "gif/GIFItem.h"
#include "gif/GIFLimits.h"
#include "gif/GIFStream.h"
#include "gif/GIFSubImage.h"

// Frames in file order.
class TGIFImageList : public TGIFList<TGIFSubImage> {
public:
    explicit TGIFImageList(TGIFImage* image) : TGIFList(image) {}
    void ReadFrom(TStream& stream, TGIFImage* image);  // GIFReader.cpp
    void WriteTo(TStream& stream);                     // GIFWriter.cpp (with progress)
};

enum class TGIFProgressStage { Starting, Running, Ending };

class TGIFImage {
public:
    // (sender, severity, message); severity 1 = warning.
    using TWarningHandler = std::function<void(const TGIFPersistent* sender, int severity, const std::string& message)>;
    // (stage, percent, message "Loading..." / "Saving...").
    using TProgressHandler = std::function<void(TGIFProgressStage stage, int percent, const std::string& message)>;

    TGIFImage();
    ~TGIFImage();
    TGIFImage(const TGIFImage&) = delete;
    TGIFImage& operator=(const TGIFImage&) = delete;

    TGIFHeader& Header() { return *fHeader; }
    const TGIFHeader& Header() const { return *fHeader; }
    TGIFImageList& Images() { return *fImages; }
    const TGIFImageList& Images() const { return *fImages; }
    TGIFGlobalColorMap& GlobalColorMap() { return fHeader->ColorMap(); }
    const TGIFGlobalColorMap& GlobalColorMap() const { return fHeader->ColorMap(); }

    int Width() const { return fHeader->ScreenWidth; }
    int Height() const { return fHeader->ScreenHeight; }
    // Below a frame's extent: "Image width too small for contained frames" (height alike).
    void SetWidth(int width);
    void SetHeight(int height);
    bool Empty() const { return fImages->Empty(); }

    int MaxIndexBits() const;
    int ResolutionBits() const;
    // gvUnknown without frames, else 87a or 89a as the frames require.
    int FileVersion() const;
    // Grows the logical screen so that every frame fits (never shrinks).
    void FitScreenToFrames();
    // Deletes all frames, resets the global map, zero screen size.
    void Clear();

    // Reading and writing (GIFReader.cpp, GIFWriter.cpp).
    void ReadFrom(TStream& stream);
    void WriteTo(TStream& stream);
    void LoadFromBytes(std::span<const std::uint8_t> bytes);
    std::vector<std::uint8_t> SaveToBytes();
    void LoadFromFile(const std::string& path);
    void SaveToFile(const std::string& path);

    // Warning slot: calls WarningHandler when set.
    void Warn(const TGIFPersistent* sender, int severity, const std::string& message) const;
    void Progress(TGIFProgressStage stage, int percent, const std::string& message) const;

    TWarningHandler WarningHandler;
    TProgressHandler ProgressHandler;

    // Encoding and import settings.
    int CompressionMethod = 0;  // 0 LZW, 1 run-length
    int ReductionMethod = 6;
    int ReductionDepth = 8;
    int DitherStyle = 0;
    std::uint16_t RenderOptions = 0x068F;

    // Held by operations that rewrite all frames' pixels or maps.
    std::mutex PainterLock;
    void StopPainters() {}

    // Rendering cache of the whole image (palette, bitmap); dropped on change.
    std::unique_ptr<TGIFRenderCache> RenderCache;
    void ReleaseRendering() { RenderCache.reset(); }

    // Bytes of pixel memory held by this image's frames.
    std::uint64_t PixelBytes() const { return fPixelBytes; }

    // Operations built on the model elsewhere (color map optimizer, frame optimizer, ...).
    void OptimizeColorMaps();

private:
    friend class TGIFSubImage;
    std::unique_ptr<TGIFHeader> fHeader;
    std::unique_ptr<TGIFImageList> fImages;
    std::uint64_t fPixelBytes = 0;
};
