#include "tests/gifsupport/Decoders.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <sstream>

#ifdef QWO_HAVE_GIFLIB
#include <gif_lib.h>

#include "compressors/verify/GifMovie.h"
#endif

#ifdef QWO_HAVE_GIFLIB
bool OracleAvailable()
{
    return true;
}

OracleImage OracleDecode(const std::string& path)
{
    OracleImage result;
    int error = 0;
    GifFileType* gif = DGifOpenFileName(path.c_str(), &error);
    if (!gif) return result;
    result.ok = DGifSlurp(gif) == GIF_OK;
    result.width = gif->SWidth;
    result.height = gif->SHeight;
    for (int i = 0; result.ok && i < gif->ImageCount; ++i) {
        const SavedImage& saved = gif->SavedImages[i];
        OracleFrame frame;
        frame.left = saved.ImageDesc.Left;
        frame.top = saved.ImageDesc.Top;
        frame.width = saved.ImageDesc.Width;
        frame.height = saved.ImageDesc.Height;
        if (saved.RasterBits)
            frame.indices.assign(saved.RasterBits,
                                 saved.RasterBits + std::size_t(frame.width) * std::size_t(frame.height));
        const ColorMapObject* map = saved.ImageDesc.ColorMap ? saved.ImageDesc.ColorMap : gif->SColorMap;
        for (int c = 0; map && c < map->ColorCount; ++c)
            frame.map.push_back((std::uint32_t(map->Colors[c].Red) << 16) | (std::uint32_t(map->Colors[c].Green) << 8) |
                                map->Colors[c].Blue);
        result.frames.push_back(std::move(frame));
    }
    DGifCloseFile(gif, &error);
    return result;
}
namespace {

struct TMemorySource {
    const std::vector<std::uint8_t>* Bytes;
    std::size_t Position = 0;
};

int ReadFromMemory(GifFileType* gif, GifByteType* buffer, int length)
{
    auto* source = static_cast<TMemorySource*>(gif->UserData);
    const std::size_t n = std::min(std::size_t(length), source->Bytes->size() - source->Position);
    std::copy_n(source->Bytes->data() + source->Position, n, buffer);
    source->Position += n;
    return int(n);
}


}  // namespace

std::optional<TComposited> CompositeWithGiflib(const std::vector<std::uint8_t>& bytes)
{
    TMemorySource source{&bytes};
    int error = 0;
    GifFileType* gif = DGifOpen(&source, &ReadFromMemory, &error);
    if (!gif) return std::nullopt;
    if (DGifSlurp(gif) != GIF_OK) {
        DGifCloseFile(gif, &error);
        return std::nullopt;
    }
    TComposited result;
    result.Width = gif->SWidth;
    result.Height = gif->SHeight;
    result.LoopCount = GifLoopCount(gif);
    const std::size_t stride = 4 * std::size_t(result.Width);
    std::vector<std::uint8_t> canvas(stride * std::size_t(result.Height), 0);
    for (int i = 0; i < gif->ImageCount; ++i) {
        const SavedImage& saved = gif->SavedImages[i];
        GraphicsControlBlock control{DISPOSAL_UNSPECIFIED, false, 0, NO_TRANSPARENT_COLOR};
        DGifSavedExtensionToGCB(gif, i, &control);
        const ColorMapObject* map = saved.ImageDesc.ColorMap ? saved.ImageDesc.ColorMap : gif->SColorMap;
        const GifImageDesc& d = saved.ImageDesc;
        const std::vector<std::uint8_t> before = canvas;
        for (int y = 0; y < d.Height; ++y)
            for (int x = 0; x < d.Width; ++x) {
                const int sx = d.Left + x, sy = d.Top + y;
                if (sx >= result.Width || sy >= result.Height) continue;
                const int index = saved.RasterBits[std::size_t(y) * std::size_t(d.Width) + std::size_t(x)];
                if (index == control.TransparentColor) continue;
                std::uint8_t* p = canvas.data() + std::size_t(sy) * stride + 4 * std::size_t(sx);
                const GifColorType color = map && index < map->ColorCount ? map->Colors[index] : GifColorType{0, 0, 0};
                p[0] = color.Red, p[1] = color.Green, p[2] = color.Blue, p[3] = 255;
            }
        result.Frames.push_back({canvas, control.DelayTime});
        if (control.DisposalMode == DISPOSE_PREVIOUS) {
            canvas = before;
        } else if (control.DisposalMode == DISPOSE_BACKGROUND) {
            for (int y = d.Top; y < std::min(d.Top + d.Height, result.Height); ++y)
                for (int x = d.Left; x < std::min(d.Left + d.Width, result.Width); ++x)
                    std::fill_n(canvas.data() + std::size_t(y) * stride + 4 * std::size_t(x), 4, 0);
        }
    }
    DGifCloseFile(gif, &error);
    return result;
}
#else
bool OracleAvailable()
{
    return false;
}

OracleImage OracleDecode(const std::string&)
{
    return {};
}

std::optional<TComposited> CompositeWithGiflib(const std::vector<std::uint8_t>&)
{
    return std::nullopt;
}
#endif

std::vector<TDecodedFrame> ShownPictures(const TComposited& decoded)
{
    std::vector<TDecodedFrame> pictures;
    const bool ends = decoded.LoopCount != 0;
    const bool waits = decoded.TotalDelay() > 0;
    for (std::size_t i = 0; i < decoded.Frames.size(); ++i) {
        const TDecodedFrame& frame = decoded.Frames[i];
        if (waits && frame.Delay == 0 && !(ends && i + 1 == decoded.Frames.size())) continue;
        if (!pictures.empty() && pictures.back().Rgba == frame.Rgba)
            pictures.back().Delay += frame.Delay;
        else
            pictures.push_back(frame);
    }
    return pictures;
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
