// libFuzzer target: reads arbitrary bytes as a GIF; a successful read is
// written back and read again. Any outcome but success or GIFException is a finding.
#include <cstddef>
#include <cstdint>
#include <span>

#include "gif/GIFImage.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    TGIFImage image;
    try {
        image.LoadFromBytes(std::span<const std::uint8_t>(data, size));
    } catch (const GIFException&) {
        return 0;
    }
    for (const TGIFCompression mode : {TGIFCompression::LZW, TGIFCompression::RunLength}) {
        image.Compression = mode;
        std::vector<std::uint8_t> written;
        try {
            written = image.SaveToBytes();
        } catch (const GIFException&) {
            return 0;  // "Color not in color table", "Unsupported GIF version"
        }
        TGIFImage copy;
        copy.LoadFromBytes(written);  // our own output must always read back
        if (copy.Images().Count() > image.Images().Count()) __builtin_trap();
    }
    return 0;
}
