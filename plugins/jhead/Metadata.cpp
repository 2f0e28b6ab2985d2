#include "plugins/jhead/Metadata.h"

#include <cstdint>
#include <optional>

namespace jhead {

namespace {

bool Named(const Segment& segment, const Removal& removal)
{
    if (segment.marker == 0xFE) return removal.comments || removal.pure;
    if (segment.IsExif() && removal.exif) return true;
    if (segment.IsApp(13) && removal.iptc) return true;
    return removal.pure && segment.IsMetadata() && !segment.IsApp(0);
}

// What jhead drops of its own whenever it rewrites a file.
bool DroppedOnRewrite(const Segment& segment)
{
    return segment.IsApp(0) || (segment.IsApp(1) && !segment.Starts("Exif") && !segment.Starts("http:"));
}

std::string Bytes(std::string_view bytes, const Segment& segment)
{
    return std::string(bytes.substr(segment.offset, segment.size));
}

// A JFIF 1.01 header with the density of the last JFIF header in the file,
// else 300 dpi.
std::string JfifHeader(const Layout& layout)
{
    std::string density("\x01\x01\x2C\x01\x2C", 5);
    for (const Segment& segment : layout.segments)
        if (segment.IsApp(0) && segment.Starts(std::string_view("JFIF\0", 5)) && segment.payload.size() >= 12)
            density = segment.payload.substr(7, 5);
    return std::string("\xFF\xE0\x00\x10JFIF\x00\x01\x01", 11) + density + std::string(2, '\0');
}

// The orientation alone in a big-endian Exif section.
std::string MinimalExif(int orientation)
{
    std::string exif("\xFF\xE1\x00\x22" "Exif\0\0" "MM\0\x2A\0\0\0\x08" "\0\x01"
                     "\x01\x12\0\x03\0\0\0\x01\0\0\0\0" "\0\0\0\0", 36);
    exif[29] = static_cast<char>(orientation);
    return exif;
}

}  // namespace

int ExifOrientation(const Layout& layout)
{
    for (const Segment& segment : layout.segments) {
        if (!segment.IsApp(1) || !segment.Starts(std::string_view("Exif\0\0", 6))) continue;
        const std::string_view tiff = segment.payload.substr(6);
        const bool intel = tiff.starts_with(std::string_view("II*\0", 4));
        if (!intel && !tiff.starts_with(std::string_view("MM\0*", 4))) return 1;
        const auto number = [&](std::size_t at, int size) -> std::optional<std::uint32_t> {
            if (at + size > tiff.size()) return std::nullopt;
            std::uint32_t value = 0;
            for (int i = 0; i < size; ++i) {
                const auto digit = static_cast<unsigned char>(tiff[at + (intel ? size - 1 - i : i)]);
                value = value << 8 | digit;
            }
            return value;
        };
        const auto ifd = number(4, 4);
        const auto count = ifd ? number(*ifd, 2) : std::nullopt;
        if (!count) return 1;
        for (std::uint32_t i = 0; i < *count && i < 512; ++i) {
            const std::size_t entry = *ifd + 2 + 12 * std::size_t{i};
            const auto tag = number(entry, 2);
            if (!tag) return 1;
            if (*tag != 0x112) continue;
            // One SHORT.
            const auto type = number(entry + 2, 2), items = number(entry + 4, 4), value = number(entry + 8, 2);
            return type == 3u && items == 1u && value && *value >= 1 && *value <= 8 ? int(*value) : 1;
        }
        return 1;
    }
    return 1;
}

std::string Strip(std::string_view bytes, const Layout& layout, const Removal& removal, bool asJhead)
{
    bool named = false;
    for (const Segment& segment : layout.segments) named = named || Named(segment, removal);
    if (!named) return std::string(bytes);

    std::string head;
    for (const Segment& segment : layout.segments)
        if (!Named(segment, removal) && !(asJhead && DroppedOnRewrite(segment))) head += Bytes(bytes, segment);
    if (asJhead && !(head.size() > 4 && head[1] == '\xE1' && head.compare(4, 4, "Exif") == 0))
        head.insert(0, JfifHeader(layout));

    std::string restored;
    const int orientation = removal.exif || removal.pure ? ExifOrientation(layout) : 1;
    if (orientation != 1) restored += MinimalExif(orientation);
    if (removal.pure)
        for (const Segment& segment : layout.segments)
            if ((segment.IsApp(2) && segment.Starts(std::string_view("ICC_PROFILE\0", 12))) ||
                (segment.IsApp(14) && segment.Starts("Adobe")))
                restored += Bytes(bytes, segment);
    std::size_t at = 0;
    if (head.size() >= 4 && head.compare(0, 2, "\xFF\xE0") == 0)
        at = 2 + static_cast<unsigned char>(head[2]) * 256u + static_cast<unsigned char>(head[3]);
    head.insert(at, restored);
    return std::string(bytes.substr(0, 2)) + head + std::string(bytes.substr(layout.scan));
}

}  // namespace jhead
