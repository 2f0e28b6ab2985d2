// makegifs FOLDER: writes the inputs of the memory and time benchmark:
//   long-1280x720x1500.gif  a 1280x720 animation of 1,500 frames (a full first
//                           frame, then small squares moving over it, looping);
//   huge-frame.gif          a tiny file declaring one 32767 x 32767 frame;
//   huge-animation.gif      a tiny file of 17 frames of 8192 x 8192.
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "gif/GIFImage.h"

namespace {

void Save(const std::string& path, const std::vector<std::uint8_t>& bytes)
{
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), long(bytes.size()));
    std::printf("%s: %zu bytes\n", path.c_str(), bytes.size());
}

std::vector<std::uint8_t> LongAnimation()
{
    TGIFImage image;
    const int w = 1280, h = 720;
    std::vector<std::uint8_t> table;
    for (int i = 0; i < 256; ++i)
        table.insert(table.end(), {std::uint8_t(i), std::uint8_t(255 - i), std::uint8_t(i / 2)});
    image.GlobalColorMap().SetTable(table.data(), 256);
    for (int n = 0; n < 1500; ++n) {
        auto frame = image.NewFrame();
        const bool first = n == 0;
        const int fw = first ? w : 64, fh = first ? h : 48;
        frame->SetLeft(first ? 0 : (n * 13) % (w - fw));
        frame->SetTop(first ? 0 : (n * 7) % (h - fh));
        frame->SetWidth(fw);
        frame->SetHeight(fh);
        std::uint8_t* p = frame->Pixels();
        for (int y = 0; y < fh; ++y)
            for (int x = 0; x < fw; ++x) p[y * fw + x] = std::uint8_t(first ? (x / 5 + y / 3) : (n + x / 8 + y / 8));
        auto control = std::make_unique<TGIFGraphicControlExtension>();
        control->SetDelayTime(4);
        frame->Extensions().Add(std::move(control));
        if (first) {
            auto loop = std::make_unique<TGIFAppExtNSLoop>();
            frame->Extensions().Insert(0, std::move(loop));
        }
        image.Images().Add(std::move(frame));
    }
    image.FitScreenToFrames();
    return image.SaveToBytes();
}

// Header of a screen with a 2-color global table.
std::vector<std::uint8_t> Header(int w, int h, bool colors)
{
    std::vector<std::uint8_t> b = {'G',
                                   'I',
                                   'F',
                                   '8',
                                   '9',
                                   'a',
                                   std::uint8_t(w),
                                   std::uint8_t(w >> 8),
                                   std::uint8_t(h),
                                   std::uint8_t(h >> 8),
                                   std::uint8_t(colors ? 0x80 : 0),
                                   0,
                                   0};
    if (colors) b.insert(b.end(), {0, 0, 0, 255, 255, 255});
    return b;
}

// One frame at (0, 0) of w x h whose data is a clear code, one pixel and the end code.
void Frame(std::vector<std::uint8_t>& b, int w, int h, int delay)
{
    if (delay >= 0) b.insert(b.end(), {0x21, 0xF9, 4, 0x04, std::uint8_t(delay), 0, 0, 0});
    b.insert(b.end(),
             {0x2C, 0, 0, 0, 0, std::uint8_t(w), std::uint8_t(w >> 8), std::uint8_t(h), std::uint8_t(h >> 8), 0});
    b.insert(b.end(), {2, 2, 0x44, 0x01, 0});  // codes 4 (clear), 1, 5 (end) at 3 bits
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: makegifs FOLDER\n");
        return 2;
    }
    const std::string folder = argv[1];
    Save(folder + "/long-1280x720x1500.gif", LongAnimation());
    std::vector<std::uint8_t> huge = Header(32767, 32767, false);
    Frame(huge, 32767, 32767, -1);
    huge.push_back(0x3B);
    Save(folder + "/huge-frame.gif", huge);
    std::vector<std::uint8_t> many = Header(8192, 8192, true);
    for (int i = 0; i < 17; ++i) Frame(many, 8192, 8192, 10);
    many.push_back(0x3B);
    Save(folder + "/huge-animation.gif", many);
    return 0;
}
