#include "support/GIFTestSupport.h"

#include <cstdio>
#include <fstream>
#include <iterator>
#include <sstream>

void SetColors(TGIFColorMap& map, const std::vector<TGIFColor>& colors)
{
    map.ResetColors();
    for (TGIFColor c : colors) map.AppendColor(c);
}

std::vector<TGIFColor> ColorsOf(const TGIFColorMap& map)
{
    std::vector<TGIFColor> colors;
    for (int i = 0; i < map.EntryCount(); ++i) colors.push_back(map.Color(i));
    return colors;
}

TGIFSubImage& AddTestFrame(TGIFImage& image, int left, int top, int width, int height,
                           const std::vector<std::uint8_t>& pixels, const std::vector<TGIFColor>& localColors)
{
    TGIFSubImage* frame = image.Images().Add(std::make_unique<TGIFSubImage>(&image));
    frame->SetLeft(left);
    frame->SetTop(top);
    frame->SetWidth(width);
    frame->SetHeight(height);
    if (std::size_t(width) * std::size_t(height) != pixels.size())
        throw std::logic_error("pixel count does not match the frame size");
    std::copy(pixels.begin(), pixels.end(), frame->Pixels());
    SetColors(frame->ColorMap(), localColors);
    return *frame;
}

TGIFGraphicControlExtension& SetControl(TGIFSubImage& frame, int delay, int disposal, int transparentIndex)
{
    TGIFGraphicControlExtension* control = frame.GraphicControl();
    if (!control)
        control = static_cast<TGIFGraphicControlExtension*>(
            frame.Extensions().Add(std::make_unique<TGIFGraphicControlExtension>(&frame)));
    control->SetDelayTime(delay);
    control->SetDisposalMethod(disposal);
    if (transparentIndex >= 0) {
        control->SetTransparentFlag(true);
        control->StoreTransparentIndex(std::uint8_t(transparentIndex));
    }
    return *control;
}

void AddLoop(TGIFSubImage& frame, std::uint16_t loopCount)
{
    auto loop = std::make_unique<TGIFAppExtNSLoop>(&frame);
    loop->LoopCount = loopCount;
    frame.Extensions().Insert(0, std::move(loop));
}

std::vector<std::uint8_t> PixelsOf(const TGIFSubImage& frame)
{
    const std::uint8_t* p = frame.Pixels();
    return p ? std::vector<std::uint8_t>(p, p + frame.PixelsSize()) : std::vector<std::uint8_t>{};
}

TGIFColor ColorAtPixel(const TGIFSubImage& frame, int x, int y)
{
    return frame.EffectiveColorMap().Color(frame.Pixel(x, y));
}

void SaveImage(TGIFImage& image, const std::string& path)
{
    image.SaveToFile(path);
}

std::vector<std::uint8_t> FileBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<std::uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

int TDecoded::TotalDelay() const
{
    int total = 0;
    for (const auto& frame : Frames) total += frame.Delay;
    return total;
}

std::uint32_t TDecoded::Pixel(std::size_t frame, int x, int y) const
{
    const std::uint8_t* p = Frames.at(frame).Rgba.data() + 4 * (std::size_t(y) * std::size_t(Width) + std::size_t(x));
    return Rgba(p[0], p[1], p[2], p[3]);
}

std::uint32_t Rgba(std::uint8_t r, std::uint8_t g, std::uint8_t b, std::uint8_t a)
{
    return std::uint32_t(r) << 24 | std::uint32_t(g) << 16 | std::uint32_t(b) << 8 | a;
}

namespace {

std::optional<std::string> Capture(const std::string& command)
{
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe) return std::nullopt;
    std::string output;
    char buffer[65536];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) output.append(buffer, n);
    if (::pclose(pipe) != 0) return std::nullopt;
    return output;
}

}  // namespace

std::optional<TDecoded> DecodeWithImageMagick(const std::string& path)
{
    const std::string quoted = "'" + path + "'";
    auto info = Capture("identify -format '%W %H %T\\n' " + quoted + " 2>/dev/null");
    if (!info || info->empty()) return std::nullopt;
    TDecoded decoded;
    std::istringstream lines(*info);
    std::vector<int> delays;
    int w, h, delay;
    while (lines >> w >> h >> delay) {
        decoded.Width = delays.empty() ? w : decoded.Width;
        decoded.Height = delays.empty() ? h : decoded.Height;
        delays.push_back(delay);
    }
    auto raw = Capture("convert " + quoted + " -coalesce rgba:- 2>/dev/null");
    const std::size_t size = 4 * std::size_t(decoded.Width) * std::size_t(decoded.Height);
    if (!raw || raw->size() != size * delays.size()) return std::nullopt;
    for (std::size_t i = 0; i < delays.size(); ++i) {
        TDecodedFrame frame;
        frame.Delay = delays[i];
        frame.Rgba.assign(raw->begin() + std::ptrdiff_t(i * size), raw->begin() + std::ptrdiff_t((i + 1) * size));
        for (std::size_t p = 0; p < size; p += 4)
            if (frame.Rgba[p + 3] == 0) frame.Rgba[p] = frame.Rgba[p + 1] = frame.Rgba[p + 2] = 0;
        decoded.Frames.push_back(std::move(frame));
    }
    return decoded;
}

std::vector<TDecodedFrame> DistinctPictures(const TDecoded& decoded)
{
    std::vector<TDecodedFrame> pictures;
    for (const auto& frame : decoded.Frames) {
        if (!pictures.empty() && pictures.back().Rgba == frame.Rgba)
            pictures.back().Delay += frame.Delay;
        else
            pictures.push_back(frame);
    }
    return pictures;
}
