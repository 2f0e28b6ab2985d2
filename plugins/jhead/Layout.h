#pragma once
// The marker segments of a JPEG file before its first scan.

#include <cstddef>
#include <string_view>
#include <vector>

namespace jhead {

struct Segment {
    unsigned char marker = 0;  // the byte after 0xFF
    std::size_t offset = 0;    // of the segment's first byte, fill bytes included
    std::size_t size = 0;      // fill bytes, marker, length and payload
    std::string_view payload;  // what follows the length

    bool IsApp(int n) const { return marker == 0xE0 + n; }
    bool IsMetadata() const { return (marker >= 0xE0 && marker <= 0xEF) || marker == 0xFE; }
    bool Starts(std::string_view prefix) const { return payload.starts_with(prefix); }
    bool IsExif() const { return IsApp(1) && Starts("Exif"); }
};

struct Layout {
    std::vector<Segment> segments;  // between the SOI marker and the first SOS
    std::size_t scan = 0;           // where the first SOS segment starts
    bool progressive = false;
};

// Throws Failure("not a JPEG file") when the bytes do not start with an SOI
// marker followed by whole marker segments up to a first scan.
Layout ReadLayout(std::string_view bytes);

}  // namespace jhead
