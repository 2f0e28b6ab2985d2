#include "gif/FlatCanvas.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>

#include "gif/FrameDither.h"
#include "gif/GIFDecode.h"
#include "gif/Palettes.h"

TFlatBox TFlatBox::Union(const TFlatBox& other) const
{
    if (Empty()) return other;
    if (other.Empty()) return *this;
    return {std::min(Left, other.Left), std::min(Top, other.Top), std::max(Right, other.Right),
            std::max(Bottom, other.Bottom)};
}

namespace {

std::size_t PixelCount(int width, int height)
{
    return std::size_t(std::max(width, 0)) * std::size_t(std::max(height, 0));
}

}  // namespace

// The picture, the one before, and what a frame that restores to previous covered.
TFlatCanvas::TFlatCanvas(int width, int height, TGIFMemoryBudget& budget, const TGIFRenderOptions& rendering)
    : fWidth(width), fHeight(height), fBudget(budget),
      fReservation(budget, 3 * sizeof(std::uint16_t) * PixelCount(width, height)),
      fPixels(PixelCount(width, height), kFlatClear), fPrevious(fPixels), fRendering(rendering)
{
}

void TFlatCanvas::Run(std::span<const std::uint8_t> source, const TPictureHandler& next)
{
    TGIFImage image;
    image.ShareBudget(fBudget);
    bool first = true;
    TFlatBox disposed;  // what the last frame's disposal changed
    TGIFReadOptions options;
    options.FrameRead = [&](TGIFSubImage& frame) {
        const TGIFGraphicControlExtension* control = frame.GraphicControl();
        const int delay = control ? control->DelayTime() : 0;
        const int disposal = control ? control->DisposalMethod() : 0;
        if (frame.IsEmpty()) return;
        const TFlatBox area{std::max(frame.Left(), 0), std::max(frame.Top(), 0),
                            std::min(frame.Left() + frame.Width(), fWidth),
                            std::min(frame.Top() + frame.Height(), fHeight)};
        if (disposal == 3) Save(area);
        Draw(frame, image.GlobalColorMap());
        frame.ReleasePixels();
        const TFlatBox changed = first ? TFlatBox{0, 0, fWidth, fHeight} : Changes(area.Union(disposed));
        next(changed, delay, first);
        // Outside what changed, the previous picture already is the canvas.
        Keep(changed);
        Dispose(disposal, area);
        disposed = disposal == 2 || disposal == 3 ? area : TFlatBox{};
        first = false;
    };
    TMemoryView view(source);
    ReadGIF(view, image, options);
}

// Draws the frame (a frame without colors through the halftone palette):
// each index becomes the halftone entry nearest to its color (past the
// frame's colors: black); transparent pixels leave the canvas.
void TFlatCanvas::Draw(TGIFSubImage& frame, const TGIFColorMap& global)
{
    if (frame.EffectiveColorMap(global).EntryCount() == 0) {
        std::vector<std::uint8_t> triples;
        for (const TRGB& c : HalftonePalette()) triples.insert(triples.end(), {c.Red, c.Green, c.Blue});
        frame.ColorMap().SetTable(triples.data(), int(HalftonePalette().size()));
    }
    const TFlatBox area{std::max(frame.Left(), 0), std::max(frame.Top(), 0),
                        std::min(frame.Left() + frame.Width(), fWidth),
                        std::min(frame.Top() + frame.Height(), fHeight)};
    TNearestColor nearest(HalftonePalette());
    const int t = frame.ShownTransparentIndex();
    const TGIFColorMap& map = frame.EffectiveColorMap(global);
    // Dithered: the web-safe indices of the dithered frame, translated.
    std::unique_ptr<TGIFReservation> drawing;
    std::vector<std::uint8_t> dithered;
    std::array<std::uint8_t, 256> lookup{};
    if (fRendering.ScreenNeedsDither) {
        drawing = std::make_unique<TGIFReservation>(fBudget, DitheredDrawingBytes(frame.Width(), frame.Height()));
        dithered = DitherToWebSafe(frame, map);
        lookup = nearest.Translation(WebSafePalette());
    } else {
        TPalette colors;
        for (int i = 0; i < map.EntryCount(); ++i) {
            const TGIFColor c = map.Color(i);
            colors.push_back({std::uint8_t(c), std::uint8_t(c >> 8), std::uint8_t(c >> 16)});
        }
        lookup = nearest.Translation(colors);
    }
    const std::uint8_t* pixels = frame.Pixels();
    for (int y = area.Top; y < area.Bottom; ++y) {
        const std::size_t row = std::size_t(y - frame.Top()) * std::size_t(frame.Width());
        const std::uint8_t* from = pixels + row;
        const std::uint8_t* shown = dithered.empty() ? from : dithered.data() + row;
        std::uint16_t* to = fPixels.data() + std::size_t(y) * std::size_t(fWidth);
        for (int x = area.Left; x < area.Right; ++x) {
            const int fx = x - frame.Left();
            if (from[fx] != t) to[x] = lookup[shown[fx]];
        }
    }
}

TFlatBox TFlatCanvas::Changes(const TFlatBox& area) const
{
    TFlatBox box{area.Right, area.Bottom, area.Left, area.Top};
    const std::size_t width = std::size_t(std::max(area.Width(), 0));
    for (int y = area.Top; y < area.Bottom; ++y) {
        const std::uint16_t* now = Row(y) + area.Left;
        const std::uint16_t* before = PreviousRow(y) + area.Left;
        if (std::memcmp(now, before, width * sizeof(std::uint16_t)) == 0) continue;
        std::size_t left = 0, right = width;
        while (now[left] == before[left]) ++left;
        while (now[right - 1] == before[right - 1]) --right;
        box.Left = std::min(box.Left, area.Left + int(left));
        box.Right = std::max(box.Right, area.Left + int(right));
        box.Top = std::min(box.Top, y);
        box.Bottom = y + 1;
    }
    return box;
}

void TFlatCanvas::Keep(const TFlatBox& area)
{
    for (int y = area.Top; y < area.Bottom; ++y)
        std::copy(Row(y) + area.Left, Row(y) + area.Right, fPrevious.data() + (Row(y) - fPixels.data()) + area.Left);
}

void TFlatCanvas::Save(const TFlatBox& area)
{
    fSaved.clear();
    for (int y = area.Top; y < area.Bottom; ++y) fSaved.insert(fSaved.end(), Row(y) + area.Left, Row(y) + area.Right);
}

void TFlatCanvas::Dispose(int method, const TFlatBox& area)
{
    if (method != 2 && method != 3) return;
    const std::uint16_t* saved = fSaved.data();
    for (int y = area.Top; y < area.Bottom; ++y) {
        std::uint16_t* row = fPixels.data() + std::size_t(y) * std::size_t(fWidth);
        if (method == 2) {
            std::fill(row + area.Left, row + area.Right, kFlatClear);
        } else {
            std::copy(saved, saved + area.Width(), row + area.Left);
            saved += area.Width();
        }
    }
}
