#include "gif/Flattener.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <functional>
#include <memory>

#include "gif/Bitmap.h"
#include "gif/FrameRenderer.h"
#include "gif/GIFImage.h"
#include "gif/GIFWriter.h"
#include "gif/Palettes.h"

namespace {

struct TBox {
    int Left = 0, Top = 0, Right = 0, Bottom = 0;  // right and bottom exclusive
    bool Empty() const { return Left >= Right || Top >= Bottom; }
};

// What the layout pass finds: the screen (grown to the frames) and the loop.
struct TLayout {
    int Width = 0, Height = 0;
    int Frames = 0;
    int LoopCount = -1;
    std::uint32_t BufferingSize = 0;
};

TLayout ReadLayout(std::span<const std::uint8_t> source, TGIFMemoryBudget& budget)
{
    TGIFImage image;
    image.ShareBudget(budget);
    image.SkipImageData = true;
    image.LoadFromBytes(source);
    TLayout layout{image.Width(), image.Height()};
    for (auto& frame : image.Images()) {
        if (frame->Width() > 0 && frame->Height() > 0) ++layout.Frames;
        const auto* loop = frame->Extensions().Find<TGIFAppExtNSLoop>();
        if (loop && layout.LoopCount < 0)
            layout.LoopCount = loop->LoopCount, layout.BufferingSize = loop->BufferingSize;
    }
    return layout;
}

// The canvas that the source's frames are drawn on, and the picture before
// the last frame, to tell what the frame changed.
class TFlatCanvas {
public:
    TFlatCanvas(const TLayout& layout, TGIFMemoryBudget& budget, const TGIFRenderOptions& rendering)
        : fBudget(budget), fReservation(budget, 2 * RowBytes(layout.Width, 8) * std::size_t(layout.Height)),
          fCanvas(layout.Width, layout.Height, TPixelFormat::pf8bit),
          fPrevious(std::size_t(layout.Width) * std::size_t(layout.Height), 0), fRendering(rendering)
    {
    }

    int Width() const { return fCanvas.Width(); }
    int Height() const { return fCanvas.Height(); }
    const std::uint8_t* Row(int y) const { return fCanvas.ScanLine(y); }
    const std::uint8_t* PreviousRow(int y) const { return fPrevious.data() + std::size_t(y) * std::size_t(Width()); }

    // Reads the source, drawing each frame and calling back with the box it
    // changed (and its delay) while the previous picture is still at hand.
    void Run(std::span<const std::uint8_t> source, const std::function<void(const TBox&, int delay, bool first)>& next)
    {
        TGIFImage image;
        image.ShareBudget(fBudget);
        image.Rendering = fRendering;
        bool first = true;
        image.FrameReadHandler = [&](TGIFSubImage& frame) {
            const int delay = frame.GraphicControl() ? frame.GraphicControl()->DelayTime() : 0;
            if (frame.IsEmpty()) return;
            const TBox area = Draw(frame);
            frame.ReleasePixels();
            const TBox changed = first ? TBox{0, 0, Width(), Height()} : Changes(area);
            next(changed, delay, first);
            // Outside what changed, the previous picture already is the canvas.
            if (!changed.Empty()) Keep(changed);
            first = false;
        };
        image.LoadFromBytes(source);
    }

private:
    // Draws the frame (a frame without colors through the halftone palette).
    TBox Draw(TGIFSubImage& frame)
    {
        if (frame.EffectiveColorMap().EntryCount() == 0) {
            std::vector<std::uint8_t> triples;
            for (const TRGB& c : HalftonePalette()) triples.insert(triples.end(), {c.Red, c.Green, c.Blue});
            frame.ColorMap().SetTable(triples.data(), int(HalftonePalette().size()));
        }
        const TBox area{std::max(frame.Left(), 0), std::max(frame.Top(), 0),
                        std::min(frame.Left() + frame.Width(), Width()),
                        std::min(frame.Top() + frame.Height(), Height())};
        const TGIFImage* image = ImageOf(frame);
        if (!image || !RendersDithered(*image)) {
            // What the renderer and the blit do without dithering, in one pass:
            // each index becomes the canvas entry nearest to its color (past
            // the frame's colors: black); transparent pixels leave the canvas.
            TPalette colors;
            const TGIFColorMap& map = frame.EffectiveColorMap();
            for (int i = 0; i < map.EntryCount(); ++i) {
                const TGIFColor c = map.Color(i);
                colors.push_back({std::uint8_t(c), std::uint8_t(c >> 8), std::uint8_t(c >> 16)});
            }
            const std::array<std::uint8_t, 256> lookup = fNearest.Translation(colors);
            const int t = frame.Transparent() ? frame.TransparentIndex() : -1;
            const std::uint8_t* pixels = frame.Pixels();
            for (int y = area.Top; y < area.Bottom; ++y) {
                const std::uint8_t* from =
                    pixels + std::size_t(y - frame.Top()) * std::size_t(frame.Width()) - std::size_t(frame.Left());
                std::uint8_t* to = fCanvas.ScanLine(y);
                if (t < 0)
                    for (int x = area.Left; x < area.Right; ++x) to[x] = lookup[from[x]];
                else
                    for (int x = area.Left; x < area.Right; ++x)
                        if (from[x] != t) to[x] = lookup[from[x]];
            }
            return area;
        }
        {
            // The rendered bitmap, its mask and a converted copy while drawing.
            const std::uint64_t rendered = RowBytes(frame.Width(), 8) * std::uint64_t(frame.Height());
            TGIFReservation drawing(fBudget,
                                    2 * rendered + MaskRowBytes(frame.Width()) * std::uint64_t(frame.Height()));
            // With the logical screen as target, a frame lands on its own rectangle.
            BlitToCanvas(frame, fCanvas,
                         {frame.Left(), frame.Top(), frame.Left() + frame.Width(), frame.Top() + frame.Height()}, true,
                         false);
            frame.ReleaseRendering();
        }
        return area;
    }

    TBox Changes(const TBox& area) const
    {
        TBox box{area.Right, area.Bottom, area.Left, area.Top};
        const std::size_t width = std::size_t(std::max(area.Right - area.Left, 0));
        for (int y = area.Top; y < area.Bottom; ++y) {
            const std::uint8_t* now = Row(y) + area.Left;
            const std::uint8_t* before = PreviousRow(y) + area.Left;
            if (std::memcmp(now, before, width) == 0) continue;
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

    void Keep(const TBox& area)
    {
        for (int y = area.Top; y < area.Bottom; ++y)
            std::copy(Row(y) + area.Left, Row(y) + area.Right,
                      fPrevious.data() + std::size_t(y) * std::size_t(Width()) + std::size_t(area.Left));
    }

    TGIFMemoryBudget& fBudget;
    TGIFReservation fReservation;
    TBitmap fCanvas;
    std::vector<std::uint8_t> fPrevious;
    TGIFRenderOptions fRendering;
    TNearestColor fNearest{HalftonePalette()};
};

// Writes the pictures as frames; one frame is held back until the next one
// shows that it is not the last (delays of unchanged pictures go to it).
class TFlatWriter {
public:
    TFlatWriter(const TLayout& layout, TGIFMemoryBudget& budget, const std::array<int, 256>& translation, int colors,
                const std::vector<std::uint8_t>& table, std::size_t outputLimit)
        : fLayout(layout), fTranslation(translation)
    {
        fImage.ShareBudget(budget);
        fImage.Header().ScreenWidth = std::uint16_t(layout.Width);
        fImage.Header().ScreenHeight = std::uint16_t(layout.Height);
        fImage.GlobalColorMap().SetTable(table.data(), colors);
        fTransparent = colors < 256 ? colors : -1;
        if (fTransparent >= 0) fImage.GlobalColorMap().AppendColor(GIFColor(0, 0, 0));
        fImage.GlobalColorMap().SetSorted(true);
        fOut.SetLimit(std::int64_t(std::min<std::size_t>(outputLimit, INT64_MAX)));
        WriteSignature(fOut, gv87a);
        fImage.UpdatePackedFields();
        const TGIFHeader& h = fImage.Header();
        WriteScreenDescriptor(fOut, {h.ScreenWidth, h.ScreenHeight, h.PackedFields, 0, 0});
        fImage.GlobalColorMap().SaveToStream(fOut);
    }

    void Picture(const TFlatCanvas& canvas, const TBox& box, int delay, bool first)
    {
        if (box.Empty()) {
            if (fPending) {
                TGIFGraphicControlExtension& control = Control(*fPending);
                control.SetDelayTime(std::min(control.DelayTime() + delay, 0xFFFF));
            }
            return;
        }
        if (fPending) Write(false);
        auto frame = std::make_unique<TGIFSubImage>(&fImage);
        TGIFSubImage& f = *fImage.Images().Add(std::move(frame));
        f.SetLeft(box.Left);
        f.SetTop(box.Top);
        f.SetWidth(box.Right - box.Left);
        f.SetHeight(box.Bottom - box.Top);
        Control(f).SetDelayTime(delay);
        std::uint8_t* to = f.Pixels();
        bool anyWildcard = false;
        for (int y = box.Top; y < box.Bottom; ++y) {
            const std::uint8_t* now = canvas.Row(y);
            const std::uint8_t* before = canvas.PreviousRow(y);
            for (int x = box.Left; x < box.Right; ++x, ++to) {
                *to = std::uint8_t(fTranslation[now[x]]);
                if (!first && fTransparent >= 0 && now[x] == before[x]) {
                    f.SetWildcard(std::size_t(to - f.Pixels()));
                    anyWildcard = true;
                }
            }
        }
        if (anyWildcard) {
            Control(f).SetTransparentFlag(true);
            Control(f).SetTransparentIndex(fTransparent);
        }
        fPending = &f;
        ++fWritten;
    }

    std::vector<std::uint8_t> Finish()
    {
        if (fPending) Write(true);
        WriteTrailer(fOut);
        std::vector<std::uint8_t> bytes = fOut.TakeBytes();
        if (fNeeds89a) bytes[4] = '9';
        return bytes;
    }

private:
    static TGIFGraphicControlExtension& Control(TGIFSubImage& frame)
    {
        if (TGIFGraphicControlExtension* control = frame.GraphicControl()) return *control;
        auto created = std::make_unique<TGIFGraphicControlExtension>(&frame);
        return static_cast<TGIFGraphicControlExtension&>(*frame.Extensions().Add(std::move(created)));
    }

    // Writes the held frame; `last` tells whether any frame follows it.
    void Write(bool last)
    {
        TGIFSubImage& frame = *fPending;
        const bool only = last && fWritten == 1;
        if (TGIFGraphicControlExtension* control = frame.GraphicControl())
            if (only || (control->DelayTime() == 0 && !control->TransparentFlag())) {
                frame.Extensions().Delete(frame.Extensions().IndexOf(control));
            }
        if (fFirstWritten && !only && fLayout.LoopCount >= 0) {
            auto loop = std::make_unique<TGIFAppExtNSLoop>(&frame);
            loop->LoopCount = std::uint16_t(fLayout.LoopCount);
            loop->BufferingSize = fLayout.BufferingSize;
            frame.Extensions().Insert(0, std::move(loop));
        }
        fFirstWritten = false;
        fNeeds89a = fNeeds89a || !frame.Extensions().Empty();
        frame.WriteTo(fOut);
        fImage.Images().Delete(fImage.Images().IndexOf(&frame));
        fPending = nullptr;
    }

    const TLayout& fLayout;
    const std::array<int, 256>& fTranslation;
    TGIFImage fImage;
    TMemoryStream fOut;
    int fTransparent = -1;
    TGIFSubImage* fPending = nullptr;
    int fWritten = 0;
    bool fFirstWritten = true;
    bool fNeeds89a = false;
};

}  // namespace

std::vector<std::uint8_t> FlattenAnimation(std::span<const std::uint8_t> source, TGIFMemoryBudget& budget,
                                           const TGIFRenderOptions& rendering, std::size_t outputLimit)
{
    const TLayout layout = ReadLayout(source, budget);
    if (layout.Frames == 0 || layout.Width == 0 || layout.Height == 0) throw GIFException("Unsupported GIF version");
    // The colors of the pictures, counted where they change.
    std::array<std::uint64_t, 256> counts{};
    {
        TFlatCanvas canvas(layout, budget, rendering);
        canvas.Run(source, [&](const TBox& box, int, bool) {
            for (int y = box.Top; y < box.Bottom; ++y) {
                const std::uint8_t* row = canvas.Row(y);
                for (int x = box.Left; x < box.Right; ++x) ++counts[row[x]];
            }
        });
    }
    std::array<int, 256> order;
    for (int i = 0; i < 256; ++i) order[std::size_t(i)] = i;
    std::stable_sort(order.begin(), order.end(),
                     [&](int a, int b) { return counts[std::size_t(a)] > counts[std::size_t(b)]; });
    std::array<int, 256> translation{};
    std::vector<std::uint8_t> table;
    int colors = 0;
    const TPalette& palette = HalftonePalette();
    for (int index : order) {
        if (counts[std::size_t(index)] == 0) break;
        translation[std::size_t(index)] = colors++;
        const TRGB c = std::size_t(index) < palette.size() ? palette[std::size_t(index)] : TRGB{};
        table.insert(table.end(), {c.Red, c.Green, c.Blue});
    }

    // Start again from a white canvas, writing the pictures as they come.
    TFlatCanvas again(layout, budget, rendering);
    TFlatWriter writer(layout, budget, translation, colors, table, outputLimit);
    again.Run(source, [&](const TBox& box, int delay, bool first) { writer.Picture(again, box, delay, first); });
    return writer.Finish();
}
