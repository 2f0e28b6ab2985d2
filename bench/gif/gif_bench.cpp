// Decode and encode throughput (megapixels per second) of the GIF engine,
// side by side with giflib (DGifSlurp / EGifSpew, in process) and, as whole
// processes copying a file, gifcopy against gifsicle and giflib's giftool.
// Inputs: every corpus GIF, and a large generated animation.
#include <gif_lib.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "gif/GIFImage.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
using Clock = std::chrono::steady_clock;

struct Input {
    std::string name;
    std::vector<Bytes> files;  // the set is timed as a whole
    std::vector<std::string> paths;
    double megapixels = 0;  // decoded frame pixels over the set
};

// Best of several runs (the machine is shared), in seconds.
double Best(int runs, const std::function<void()>& work)
{
    double best = 1e30;
    for (int i = 0; i < runs; ++i) {
        auto start = Clock::now();
        work();
        best = std::min(best, std::chrono::duration<double>(Clock::now() - start).count());
    }
    return best;
}

// giflib in memory ------------------------------------------------------------------

struct MemoryReader {
    const Bytes* bytes;
    std::size_t pos;
};

int ReadMemory(GifFileType* gif, GifByteType* buffer, int n)
{
    auto* reader = static_cast<MemoryReader*>(gif->UserData);
    std::size_t count = std::min<std::size_t>(std::size_t(n), reader->bytes->size() - reader->pos);
    std::memcpy(buffer, reader->bytes->data() + reader->pos, count);
    reader->pos += count;
    return int(count);
}

int WriteMemory(GifFileType* gif, const GifByteType* buffer, int n)
{
    auto* out = static_cast<Bytes*>(gif->UserData);
    out->insert(out->end(), buffer, buffer + n);
    return n;
}

GifFileType* GiflibSlurp(const Bytes& bytes)
{
    MemoryReader reader{&bytes, 0};
    int error = 0;
    GifFileType* gif = DGifOpen(&reader, ReadMemory, &error);
    if (!gif) return nullptr;
    if (DGifSlurp(gif) != GIF_OK) {
        DGifCloseFile(gif, &error);
        return nullptr;
    }
    gif->UserData = nullptr;
    return gif;
}

// A writable copy of a slurped file for EGifSpew (which frees what it is given).
GifFileType* GiflibPrepareSpew(const GifFileType* in, Bytes* out)
{
    int error = 0;
    GifFileType* gif = EGifOpen(out, WriteMemory, &error);
    gif->SWidth = in->SWidth;
    gif->SHeight = in->SHeight;
    gif->SColorResolution = in->SColorResolution;
    gif->SBackGroundColor = in->SBackGroundColor;
    gif->SColorMap = in->SColorMap ? GifMakeMapObject(in->SColorMap->ColorCount, in->SColorMap->Colors) : nullptr;
    for (int i = 0; i < in->ImageCount; ++i) GifMakeSavedImage(gif, &in->SavedImages[i]);
    return gif;
}

// Inputs ----------------------------------------------------------------------------

double FramePixels(const Bytes& bytes)
{
    TGIFImage image;
    image.LoadFromBytes(bytes);
    double pixels = 0;
    for (auto& frame : image.Images()) pixels += double(frame->PixelsSize());
    return pixels / 1e6;
}

Input CorpusInput()
{
    Input input{"corpus (54 files)", {}, {}, 0};
    const std::filesystem::path root = std::filesystem::path(QWO_CORPUS_DIR) / "gif";
    for (auto& entry : std::filesystem::recursive_directory_iterator(root)) {
        if (entry.path().extension() != ".gif") continue;
        Bytes bytes = ReadWholeFile(entry.path().string());
        // Only files both decoders read in full, and that our writer can write
        // as they stand (no pixel beyond its color table), take part.
        GifFileType* gif = GiflibSlurp(bytes);
        if (!gif) continue;
        int error;
        DGifCloseFile(gif, &error);
        try {
            TGIFImage image;
            image.LoadFromBytes(bytes);
            image.SaveToBytes();
        } catch (const GIFException&) {
            continue;
        }
        input.megapixels += FramePixels(bytes);
        input.paths.push_back(entry.path().string());
        input.files.push_back(std::move(bytes));
    }
    input.name = "corpus (" + std::to_string(input.files.size()) + " files)";
    return input;
}

// 60 frames of 640 x 480: gradients, moving discs and some noise over 256 colors.
Input AnimationInput(const std::string& path)
{
    TGIFImage image;
    const int width = 640, height = 480, frames = 60;
    for (int i = 0; i < 256; ++i)
        image.GlobalColorMap().AppendColor(
            GIFColor(std::uint8_t(i), std::uint8_t(255 - i), std::uint8_t((i * 7) & 255)));
    std::uint32_t seed = 12345;
    for (int f = 0; f < frames; ++f) {
        auto* frame = image.Images().Add(image.NewFrame());
        frame->SetWidth(width);
        frame->SetHeight(height);
        auto* gce = static_cast<TGIFGraphicControlExtension*>(
            frame->Extensions().Add(std::make_unique<TGIFGraphicControlExtension>()));
        gce->SetDelayTime(4);
        std::uint8_t* p = frame->Pixels();
        const double cx = 320 + 200 * std::cos(f * 0.1), cy = 240 + 150 * std::sin(f * 0.13);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                const double dx = x - cx, dy = y - cy;
                int value = ((x + f) / 8 + y / 16) & 63;
                if (dx * dx + dy * dy < 90 * 90) value = 64 + int(std::sqrt(dx * dx + dy * dy)) / 3;
                seed = seed * 1103515245u + 12345u;
                if ((seed >> 16) % 61 == 0) value = 128 + int((seed >> 8) & 127);
                p[y * width + x] = std::uint8_t(value);
            }
    }
    image.Images()[0]->Extensions().Add(std::make_unique<TGIFAppExtNSLoop>());
    image.FitScreenToFrames();
    Bytes bytes = image.SaveToBytes();
    WriteWholeFile(path, bytes);
    Input input{"animation 60 x 640x480", {bytes}, {path}, double(width) * height * frames / 1e6};
    return input;
}

// Timings -----------------------------------------------------------------------------

int Run(const std::string& command)
{
    int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

void Library(const Input& input, int runs)
{
    // Ours: decode from memory; encode what was decoded.
    double oursDecode = Best(runs, [&] {
        for (const Bytes& bytes : input.files) {
            TGIFImage image;
            image.LoadFromBytes(bytes);
        }
    });
    std::vector<std::unique_ptr<TGIFImage>> images;
    for (const Bytes& bytes : input.files) {
        images.push_back(std::make_unique<TGIFImage>());
        images.back()->LoadFromBytes(bytes);
    }
    std::size_t oursBytes = 0;
    double oursEncode = Best(runs, [&] {
        oursBytes = 0;
        for (auto& image : images) oursBytes += image->SaveToBytes().size();
    });

    // giflib: DGifSlurp from memory; EGifSpew of the slurped frames.
    double giflibDecode = Best(runs, [&] {
        for (const Bytes& bytes : input.files) {
            GifFileType* gif = GiflibSlurp(bytes);
            int error;
            if (gif) DGifCloseFile(gif, &error);
        }
    });
    std::vector<GifFileType*> slurped;
    for (const Bytes& bytes : input.files) slurped.push_back(GiflibSlurp(bytes));
    std::size_t giflibBytes = 0;
    double giflibEncode = 1e30;
    for (int r = 0; r < runs; ++r) {
        std::vector<Bytes> outs(slurped.size());
        std::vector<GifFileType*> prepared;
        for (std::size_t i = 0; i < slurped.size(); ++i) prepared.push_back(GiflibPrepareSpew(slurped[i], &outs[i]));
        auto start = Clock::now();
        for (GifFileType* gif : prepared) EGifSpew(gif);
        giflibEncode = std::min(giflibEncode, std::chrono::duration<double>(Clock::now() - start).count());
        giflibBytes = 0;
        for (auto& out : outs) giflibBytes += out.size();
    }
    for (GifFileType* gif : slurped) {
        int error;
        DGifCloseFile(gif, &error);
    }

    const double mp = input.megapixels;
    std::printf("%-26s %8.1f MP | decode MP/s: ours %7.1f  giflib %7.1f  (x%.2f) | encode MP/s: ours %7.1f  giflib "
                "%7.1f  (x%.2f) | bytes: ours %zu (all blocks), giflib %zu (images only)\n",
                input.name.c_str(), mp, mp / oursDecode, mp / giflibDecode, giflibDecode / oursDecode, mp / oursEncode,
                mp / giflibEncode, giflibEncode / oursEncode, oursBytes, giflibBytes);
}

void Processes(const Input& input, int runs)
{
    const std::string out = (std::filesystem::temp_directory_path() / "qwo_gif_bench_out.gif").string();
    auto copyAll = [&](const std::string& prefix, const std::string& middle) {
        return Best(runs, [&] {
            for (const std::string& path : input.paths)
                Run(prefix + "'" + path + "'" + middle + "'" + out + "' 2>/dev/null");
        });
    };
    const double gifcopy = copyAll(std::string(QWO_BIN_DIR) + "/gifcopy ", " ");
    const double gifsicle = copyAll("gifsicle --no-warnings ", " -o ");
    const double gifsicleO1 = copyAll("gifsicle --no-warnings -O1 ", " -o ");
    const double giftool = copyAll("giftool <", " >");
    const double mp = input.megapixels;
    std::printf("%-26s file copy MP/s: gifcopy %7.1f | gifsicle %7.1f | gifsicle -O1 %7.1f | giftool %7.1f\n",
                input.name.c_str(), mp / gifcopy, mp / gifsicle, mp / gifsicleO1, mp / giftool);
    std::filesystem::remove(out);
}

}  // namespace

int main()
{
    const std::string animationPath = (std::filesystem::temp_directory_path() / "qwo_gif_bench_animation.gif").string();
    std::vector<Input> inputs{CorpusInput(), AnimationInput(animationPath)};
    std::printf("GIF engine throughput (best of several runs; megapixels of decoded frames per second)\n");
    for (const Input& input : inputs) Library(input, 7);
    std::printf(
        "Whole processes, read + write of each file (gifsicle keeps unchanged compressed data; -O1 re-encodes):\n");
    for (const Input& input : inputs) Processes(input, 3);
    std::filesystem::remove(animationPath);
    return 0;
}
