#include "plugins/jhead/Layout.h"

#include "plugins/jhead/Failure.h"

namespace jhead {

Layout ReadLayout(std::string_view bytes)
{
    const auto byte = [&](std::size_t at) { return static_cast<unsigned char>(bytes[at]); };
    const Failure notJpeg("not a JPEG file");
    if (bytes.size() < 4 || byte(0) != 0xFF || byte(1) != 0xD8) throw notJpeg;
    Layout layout;
    std::size_t at = 2;
    for (;;) {
        Segment segment;
        segment.offset = at;
        if (at >= bytes.size() || byte(at) != 0xFF) throw notJpeg;
        while (at < bytes.size() && byte(at) == 0xFF) ++at;  // fill bytes
        if (at >= bytes.size()) throw notJpeg;
        segment.marker = byte(at++);
        if (segment.marker == 0xDA) {
            layout.scan = segment.offset;
            return layout;
        }
        // SOF2, SOF6, SOF10 and SOF14 start a progressive image.
        if ((segment.marker & 0xF3) == 0xC2) layout.progressive = true;
        const bool standalone = (segment.marker >= 0xD0 && segment.marker <= 0xD7) || segment.marker == 0x01;
        if (!standalone) {
            if (at + 2 > bytes.size()) throw notJpeg;
            const std::size_t length = byte(at) * 256u + byte(at + 1);
            if (length < 2 || at + length > bytes.size()) throw notJpeg;
            segment.payload = bytes.substr(at + 2, length - 2);
            at += length;
        }
        segment.size = at - segment.offset;
        layout.segments.push_back(segment);
    }
}

}  // namespace jhead
