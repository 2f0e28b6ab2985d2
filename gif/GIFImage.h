#pragma once
// A whole GIF in memory: header (logical screen, global color table), the
// frames in file order and how image data is compressed. Frames, header and
// extensions are values the image owns; reading and writing are the codec's
// (GIFDecode.cpp, GIFEncode.cpp), the optimizations are passes over the image.
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "gif/GIFAppExtensions.h"
#include "gif/GIFColorMap.h"
#include "gif/GIFException.h"
#include "gif/GIFExtensionList.h"
#include "gif/GIFExtensions.h"
#include "gif/GIFHeader.h"
#include "gif/GIFItem.h"
#include "gif/GIFLimits.h"
#include "gif/GIFStream.h"
#include "gif/GIFSubImage.h"

// Frames in file order.
class TGIFImageList : public TGIFList<TGIFSubImage> {};

class TGIFImage final {
public:
    TGIFImage() { Clear(); }
    ~TGIFImage();
    TGIFImage(const TGIFImage&) = delete;
    TGIFImage& operator=(const TGIFImage&) = delete;

    TGIFHeader& Header() { return fHeader; }
    const TGIFHeader& Header() const { return fHeader; }
    TGIFImageList& Images() { return fImages; }
    const TGIFImageList& Images() const { return fImages; }
    TGIFGlobalColorMap& GlobalColorMap() { return fHeader.ColorMap(); }
    const TGIFGlobalColorMap& GlobalColorMap() const { return fHeader.ColorMap(); }
    // The map the frame's pixels index (see TGIFSubImage::EffectiveColorMap).
    TGIFColorMap& ColorMapOf(TGIFSubImage& frame) { return frame.EffectiveColorMap(GlobalColorMap()); }
    const TGIFColorMap& ColorMapOf(const TGIFSubImage& frame) const
    {
        return frame.EffectiveColorMap(GlobalColorMap());
    }

    // A new frame whose pixels count against this image's budget (not yet in the list).
    std::unique_ptr<TGIFSubImage> NewFrame() { return std::make_unique<TGIFSubImage>(fBudget); }
    // NewFrame appended to the list.
    TGIFSubImage& AddFrame() { return *fImages.Add(NewFrame()); }

    int Width() const { return fHeader.ScreenWidth; }
    int Height() const { return fHeader.ScreenHeight; }
    // Below a frame's extent: "Image width too small for contained frames" (height alike).
    void SetWidth(int width);
    void SetHeight(int height);
    bool Empty() const { return fImages.Empty(); }

    int MaxIndexBits() const;
    int ResolutionBits() const;
    // gvUnknown without frames, else 87a or 89a as the frames require.
    int FileVersion() const;
    // The header's PackedFields from the maps: global map flag, sort flag,
    // resolution and size (done on every write).
    void UpdatePackedFields();
    // Grows the logical screen so that every frame fits (never shrinks);
    // "Image is too large" past the pixel bound.
    void FitScreenToFrames();
    // Deletes all frames, resets the global map, zero screen size.
    void Clear();
    // The loop extension that holds: the first one in the file (or null).
    const TGIFAppExtNSLoop* LoopExtension() const;

    // The whole file from the stream's position; on an error the stream goes
    // back there (frames read before it stay). Defined with the decoder.
    void ReadFrom(TStream& stream);
    // Defined with the encoder.
    void WriteTo(TStream& stream);
    void LoadFromBytes(std::span<const std::uint8_t> bytes);
    std::vector<std::uint8_t> SaveToBytes();
    void LoadFromFile(const std::string& path);
    void SaveToFile(const std::string& path);

    TGIFCompression Compression = TGIFCompression::LZW;

    // Bytes of pixel memory held by this image's frames.
    std::uint64_t PixelBytes() const;
    // The frames' pixel memory is counted against this budget (shared with
    // other images or allocations of the same work) instead of the image's
    // own; only while the image holds no pixels.
    void ShareBudget(TGIFMemoryBudget& budget);
    TGIFMemoryBudget& Budget() { return *fBudget; }

private:
    TGIFMemoryBudget fOwnBudget;
    TGIFMemoryBudget* fBudget = &fOwnBudget;
    TGIFHeader fHeader;
    TGIFImageList fImages;
};
