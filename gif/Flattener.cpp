#include "gif/Flattener.h"

#include <algorithm>
#include <array>
#include <memory>

#include "gif/FlatCanvas.h"
#include "gif/GIFDecode.h"
#include "gif/GIFEncode.h"
#include "gif/GIFWriter.h"
#include "gif/Palettes.h"

namespace {

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
    TGIFReadOptions options;
    options.SkipImageData = true;
    TMemoryView view(source);
    ReadGIF(view, image, options);
    TLayout layout{image.Width(), image.Height()};
    for (auto& frame : image.Images()) {
        if (frame->Width() > 0 && frame->Height() > 0) ++layout.Frames;
        const auto* loop = frame->Extensions().Find<TGIFAppExtNSLoop>();
        if (loop && layout.LoopCount < 0)
            layout.LoopCount = loop->LoopCount, layout.BufferingSize = loop->BufferingSize;
    }
    return layout;
}

// The output's color table: the halftone entries the pictures use, most used
// first, and a transparent entry after them when there is room.
struct TFlatColors {
    std::array<std::uint8_t, 256> Translation{};  // halftone index -> table index
    std::vector<std::uint8_t> Table;              // RGB triples of the used entries
    int Used = 0;
    int Transparent = -1;  // table index, -1 without one
};

TFlatColors CountColors(const TLayout& layout, std::span<const std::uint8_t> source, TGIFMemoryBudget& budget,
                        const TGIFRenderOptions& rendering)
{
    std::array<std::uint64_t, 256> counts{};
    bool clear = false;
    {
        TFlatCanvas canvas(layout.Width, layout.Height, budget, rendering);
        canvas.Run(source, [&](const TFlatBox& box, int, bool) {
            for (int y = box.Top; y < box.Bottom; ++y) {
                const std::uint16_t* row = canvas.Row(y);
                for (int x = box.Left; x < box.Right; ++x)
                    if (row[x] == kFlatClear)
                        clear = true;
                    else
                        ++counts[row[x]];
            }
        });
    }
    std::array<int, 256> order;
    for (int i = 0; i < 256; ++i) order[std::size_t(i)] = i;
    std::stable_sort(order.begin(), order.end(),
                     [&](int a, int b) { return counts[std::size_t(a)] > counts[std::size_t(b)]; });
    TFlatColors colors;
    const TPalette& palette = HalftonePalette();
    for (int index : order) {
        if (counts[std::size_t(index)] == 0) break;
        colors.Translation[std::size_t(index)] = std::uint8_t(colors.Used++);
        const TRGB c = std::size_t(index) < palette.size() ? palette[std::size_t(index)] : TRGB{};
        colors.Table.insert(colors.Table.end(), {c.Red, c.Green, c.Blue});
    }
    if (colors.Used < 256)
        colors.Transparent = colors.Used;
    else if (clear)
        throw GIFOutputLimit();  // no entry left for the transparency the pictures show
    return colors;
}

// A frame of the output before it is written.
struct TFlatFrame {
    TFlatBox Box;
    std::vector<std::uint8_t> Pixels;     // table indices, rows of the box
    std::vector<std::uint8_t> Wildcards;  // 1 where the pixel repeats what the output shows
    int Delay = 0;
    int Disposal = 0;
    bool Transparent = false;  // shows the transparent index or has wildcards
};

// Writes the pictures as frames. One frame is held back until the next
// picture shows whether it has to restore to background (and over what).
class TFlatWriter {
public:
    TFlatWriter(const TLayout& layout, TGIFMemoryBudget& budget, const TFlatColors& colors, std::size_t outputLimit)
        : fLayout(layout), fColors(colors),
          fReservation(budget, 4 * std::uint64_t(layout.Width) * std::uint64_t(layout.Height))
    {
        fImage.ShareBudget(budget);
        fImage.Header().ScreenWidth = std::uint16_t(layout.Width);
        fImage.Header().ScreenHeight = std::uint16_t(layout.Height);
        fImage.GlobalColorMap().SetTable(colors.Table.data(), colors.Used);
        if (colors.Transparent >= 0) fImage.GlobalColorMap().AppendColor(GIFColor(0, 0, 0));
        fImage.GlobalColorMap().SetSorted(true);
        fOut.SetLimit(std::int64_t(std::min<std::size_t>(outputLimit, INT64_MAX)));
        WriteSignature(fOut, gv87a);
        fImage.UpdatePackedFields();
        const TGIFHeader& h = fImage.Header();
        WriteScreenDescriptor(fOut, {h.ScreenWidth, h.ScreenHeight, h.PackedFields, 0, 0});
        fImage.GlobalColorMap().SaveToStream(fOut);
    }

    void Picture(const TFlatCanvas& canvas, const TFlatBox& changed, int delay, bool first)
    {
        // Pixels that turn transparent again: the frame before is widened
        // over them and restores to background, clearing its rectangle.
        TFlatBox restored;
        if (!first) {
            TFlatBox cleared;
            for (int y = changed.Top; y < changed.Bottom; ++y) {
                const std::uint16_t* now = canvas.Row(y);
                const std::uint16_t* before = canvas.PreviousRow(y);
                for (int x = changed.Left; x < changed.Right; ++x)
                    if (now[x] == kFlatClear && before[x] != kFlatClear) cleared = cleared.Union({x, y, x + 1, y + 1});
            }
            if (!cleared.Empty()) {
                Widen(canvas, fPending.Box.Union(cleared));
                fPending.Disposal = 2;
                restored = fPending.Box;
            }
        }
        // What the output shows before this frame, and where that differs.
        auto shown = [&](int x, int y) { return restored.Contains(x, y) ? kFlatClear : canvas.PreviousRow(y)[x]; };
        TFlatBox box{0, 0, canvas.Width(), canvas.Height()};
        if (!first) {
            const TFlatBox area = changed.Union(restored);
            box = {};
            for (int y = area.Top; y < area.Bottom; ++y)
                for (int x = area.Left; x < area.Right; ++x)
                    if (canvas.Row(y)[x] != shown(x, y)) box = box.Union({x, y, x + 1, y + 1});
            // A picture that changes nothing is still a frame: one pixel.
            if (box.Empty()) box = {0, 0, 1, 1};
        }
        if (fHeld) Write(false);

        TFlatFrame& frame = fPending;
        frame.Box = box;
        frame.Delay = delay;
        frame.Disposal = 0;
        frame.Transparent = false;
        frame.Pixels.assign(std::size_t(box.Width()) * std::size_t(box.Height()), 0);
        frame.Wildcards.assign(frame.Pixels.size(), 0);
        std::size_t i = 0;
        for (int y = box.Top; y < box.Bottom; ++y)
            for (int x = box.Left; x < box.Right; ++x, ++i) {
                const std::uint16_t now = canvas.Row(y)[x];
                frame.Pixels[i] = Index(now);
                const bool same = now != kFlatClear && !first && now == shown(x, y) && fColors.Transparent >= 0;
                frame.Wildcards[i] = same;
                frame.Transparent = frame.Transparent || same || now == kFlatClear;
            }
        fHeld = true;
        ++fWritten;
    }

    std::vector<std::uint8_t> Finish()
    {
        if (fHeld) Write(true);
        WriteTrailer(fOut);
        std::vector<std::uint8_t> bytes = fOut.TakeBytes();
        if (fNeeds89a) bytes[4] = '9';
        return bytes;
    }

private:
    std::uint8_t Index(std::uint16_t pixel) const
    {
        if (pixel != kFlatClear) return fColors.Translation[pixel];
        if (fColors.Transparent < 0) throw GIFException("Internal error: no transparent entry");
        return std::uint8_t(fColors.Transparent);
    }

    // Grows the held frame to `to`: the new pixels repeat the picture it
    // shows (wildcards, or the transparent index where it is transparent).
    void Widen(const TFlatCanvas& canvas, const TFlatBox& to)
    {
        TFlatFrame& frame = fPending;
        std::vector<std::uint8_t> pixels(std::size_t(to.Width()) * std::size_t(to.Height()));
        std::vector<std::uint8_t> wildcards(pixels.size(), 0);
        std::size_t i = 0;
        for (int y = to.Top; y < to.Bottom; ++y)
            for (int x = to.Left; x < to.Right; ++x, ++i) {
                if (frame.Box.Contains(x, y)) {
                    const std::size_t j = std::size_t(y - frame.Box.Top) * std::size_t(frame.Box.Width()) +
                                          std::size_t(x - frame.Box.Left);
                    pixels[i] = frame.Pixels[j];
                    wildcards[i] = frame.Wildcards[j];
                    continue;
                }
                const std::uint16_t before = canvas.PreviousRow(y)[x];
                pixels[i] = Index(before);
                wildcards[i] = before != kFlatClear;
            }
        frame.Box = to;
        frame.Pixels = std::move(pixels);
        frame.Wildcards = std::move(wildcards);
        frame.Transparent = true;
    }

    // Writes the held frame; `last` tells whether any frame follows it.
    void Write(bool last)
    {
        const TFlatFrame& held = fPending;
        const bool only = last && fWritten == 1;
        TGIFSubImage& f = fImage.AddFrame();
        f.SetLeft(held.Box.Left);
        f.SetTop(held.Box.Top);
        f.SetWidth(held.Box.Width());
        f.SetHeight(held.Box.Height());
        std::copy(held.Pixels.begin(), held.Pixels.end(), f.Pixels());
        bool anyWildcard = false;
        for (std::size_t i = 0; i < held.Wildcards.size(); ++i)
            if (held.Wildcards[i]) f.SetWildcard(i), anyWildcard = true;
        if (held.Delay != 0 || held.Transparent || held.Disposal != 0) {
            auto created = std::make_unique<TGIFGraphicControlExtension>();
            auto& control = static_cast<TGIFGraphicControlExtension&>(*f.Extensions().Add(std::move(created)));
            control.SetDelayTime(held.Delay);
            control.SetDisposalMethod(held.Disposal);
            if (held.Transparent || anyWildcard) {
                control.SetTransparentFlag(true);
                control.SetTransparentIndex(fColors.Transparent);
            }
        }
        if (fFirstWritten && !only && fLayout.LoopCount >= 0) {
            auto loop = std::make_unique<TGIFAppExtNSLoop>();
            loop->LoopCount = std::uint16_t(fLayout.LoopCount);
            loop->BufferingSize = fLayout.BufferingSize;
            f.Extensions().Insert(0, std::move(loop));
        }
        fFirstWritten = false;
        fNeeds89a = fNeeds89a || !f.Extensions().Empty();
        WriteFrame(fOut, f, FrameCoding(fImage));
        fImage.Images().Delete(fImage.Images().IndexOf(&f));
        fHeld = false;
    }

    const TLayout& fLayout;
    const TFlatColors& fColors;
    TGIFReservation fReservation;  // the held frame and its wildcards, widened
    TGIFImage fImage;
    TMemoryStream fOut;
    TFlatFrame fPending;
    bool fHeld = false;
    int fWritten = 0;
    bool fFirstWritten = true;
    bool fNeeds89a = false;
};

}  // namespace

std::vector<std::uint8_t> FlattenAnimation(std::span<const std::uint8_t> source, TGIFMemoryBudget& budget,
                                           const TGIFRenderOptions& rendering, std::size_t outputLimit)
{
    const TLayout layout = ReadLayout(source, budget);
    if (layout.Frames == 0 || layout.Width == 0 || layout.Height == 0) throw GIFException("No image in the file");
    {
        // The canvases and the held frame, all at once: refused by the screen's size.
        const std::uint64_t bytes = 10 * std::uint64_t(layout.Width) * std::uint64_t(layout.Height);
        if (bytes > budget.Limit() - budget.Used()) throw GIFException(ScreenTooLarge(layout.Width, layout.Height));
    }
    const TFlatColors colors = CountColors(layout, source, budget, rendering);
    // Start again from a transparent canvas, writing the pictures as they come.
    TFlatCanvas canvas(layout.Width, layout.Height, budget, rendering);
    TFlatWriter writer(layout, budget, colors, outputLimit);
    canvas.Run(source, [&](const TFlatBox& box, int delay, bool first) { writer.Picture(canvas, box, delay, first); });
    return writer.Finish();
}
