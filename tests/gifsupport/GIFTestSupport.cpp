#include "tests/gifsupport/GIFTestSupport.h"

#include <algorithm>
#include <stdexcept>

ByteBuilder& ByteBuilder::Add(std::initializer_list<int> values)
{
    for (int v : values) bytes.push_back(std::uint8_t(v));
    return *this;
}

ByteBuilder& ByteBuilder::Text(const std::string& text)
{
    bytes.insert(bytes.end(), text.begin(), text.end());
    return *this;
}

ByteBuilder& ByteBuilder::Word(int value)
{
    return Add({value & 0xFF, (value >> 8) & 0xFF});
}

ByteBuilder& ByteBuilder::Append(const Bytes& more)
{
    bytes.insert(bytes.end(), more.begin(), more.end());
    return *this;
}

ByteBuilder& ByteBuilder::SubBlocks(const Bytes& data, bool terminator)
{
    for (std::size_t at = 0; at < data.size(); at += 255) {
        std::size_t n = std::min<std::size_t>(255, data.size() - at);
        bytes.push_back(std::uint8_t(n));
        bytes.insert(bytes.end(), data.begin() + long(at), data.begin() + long(at + n));
    }
    if (terminator) bytes.push_back(0);
    return *this;
}

ByteBuilder GifHeader(int width, int height, int bits, const char* signature)
{
    ByteBuilder b;
    b.Text(signature).Word(width).Word(height);
    if (bits > 0) {
        b.Add({0x80 | 0x70 | (bits - 1), 0, 0});
        for (int i = 0; i < (1 << bits); ++i) b.Add({i * 8 % 256, i * 16 % 256, i * 32 % 256});
    } else {
        b.Add({0, 0, 0});
    }
    return b;
}

ByteBuilder& ImageDescriptor(ByteBuilder& b, int left, int top, int width, int height, int flags)
{
    b.Add({0x2C}).Word(left).Word(top).Word(width).Word(height).Add({flags});
    return b;
}

Bytes PackCodes(const std::vector<std::pair<int, int>>& codes)
{
    Bytes out;
    std::uint32_t bucket = 0;
    int bits = 0;
    for (auto [code, width] : codes) {
        bucket |= std::uint32_t(code) << bits;
        bits += width;
        while (bits >= 8) {
            out.push_back(std::uint8_t(bucket));
            bucket >>= 8;
            bits -= 8;
        }
    }
    if (bits > 0) out.push_back(std::uint8_t(bucket));
    return out;
}

TGIFSubImage* ImageFixture::AddFrame(int width, int height)
{
    auto* frame = image.Images().Add(image.NewFrame());
    frame->SetWidth(width);
    frame->SetHeight(height);
    image.FitScreenToFrames();
    return frame;
}

std::string ReadError(TGIFImage& image, const Bytes& bytes)
{
    try {
        image.LoadFromBytes(bytes);
    } catch (const GIFException& error) {
        return error.what();
    }
    return "";
}

std::string WriteError(TGIFImage& image, int method, Bytes& written)
{
    image.Compression = method == 1 ? TGIFCompression::RunLength : TGIFCompression::LZW;
    try {
        written = image.SaveToBytes();
    } catch (const GIFException& error) {
        return error.what();
    }
    return "";
}

Bytes LoadFile(const std::string& path)
{
    return ReadWholeFile(path);
}

std::vector<TGIFSubImage*> ImageFrames(TGIFImage& image)
{
    std::vector<TGIFSubImage*> frames;
    for (auto& frame : image.Images())
        if (frame->Width() > 0 && frame->Height() > 0) frames.push_back(frame.get());
    return frames;
}

std::uint32_t RGBOf(const TGIFColorMap& map, int index)
{
    TGIFColor c = map.Color(index);
    return ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF);
}

LzwCodes& LzwCodes::Clear()
{
    // The clear code itself is read at the width in force before it.
    fCodes.emplace_back(1 << fMin, fCodes.empty() ? fMin + 1 : fWidth);
    fWidth = fMin + 1;
    fLimit = 1 << fWidth;
    fNext = (1 << fMin) + 2;
    fFirst = true;
    return *this;
}

LzwCodes& LzwCodes::Code(int code)
{
    fCodes.emplace_back(code, fWidth);
    if (fFirst) {
        fFirst = false;
        return *this;
    }
    if (fNext <= 4095) {
        ++fNext;
        if (fNext >= fLimit && fLimit <= 4095) {
            fLimit *= 2;
            ++fWidth;
        }
    }
    return *this;
}

LzwCodes& LzwCodes::End()
{
    fCodes.emplace_back((1 << fMin) + 1, fWidth);
    return *this;
}

Bytes OneFrameGif(int width, int height, int codeSize, const Bytes& data, int flags, int bits, bool terminator,
                  bool trailer)
{
    ByteBuilder b = GifHeader(width, height, bits);
    ImageDescriptor(b, 0, 0, width, height, flags);
    b.Add({codeSize});
    b.SubBlocks(data, terminator);
    if (trailer) b.Add({0x3B});
    return b.bytes;
}

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
    TGIFSubImage* frame = image.Images().Add(image.NewFrame());
    frame->SetLeft(left);
    frame->SetTop(top);
    frame->SetWidth(width);
    frame->SetHeight(height);
    image.FitScreenToFrames();
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
            frame.Extensions().Add(std::make_unique<TGIFGraphicControlExtension>()));
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
    auto loop = std::make_unique<TGIFAppExtNSLoop>();
    loop->LoopCount = loopCount;
    frame.Extensions().Insert(0, std::move(loop));
}

std::vector<std::uint8_t> PixelsOf(const TGIFSubImage& frame)
{
    const std::uint8_t* p = frame.Pixels();
    return p ? std::vector<std::uint8_t>(p, p + frame.PixelsSize()) : std::vector<std::uint8_t>{};
}

TGIFColor ColorAtPixel(const TGIFImage& image, const TGIFSubImage& frame, int x, int y)
{
    return image.ColorMapOf(frame).Color(frame.Pixel(x, y));
}
