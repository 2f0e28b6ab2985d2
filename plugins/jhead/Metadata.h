#pragma once
// Which metadata sections a JPEG keeps, as jhead takes them out, and what
// goes back so that the picture shows the same.

#include <string>
#include <string_view>

#include "plugins/jhead/Layout.h"

namespace jhead {

struct Removal {
    bool comments = false;  // -dc: COM
    bool exif = false;      // -de: Exif (APP1)
    bool iptc = false;      // -di: IPTC (APP13)
    bool pure = false;      // -purejpg: every APPn and COM but a JFIF header
};

// The file without the sections `removal` names. When none is there the
// bytes stay as they are. Otherwise, with `asJhead`, the file is written as
// jhead writes it: its APP0 sections and the APP1 sections that are neither
// Exif nor XMP go too, and a JFIF header (version 1.01, the last one's
// density, else 300 dpi) comes first unless an Exif section leads; without,
// only the named sections go. Then the source's Exif orientation 2..8 comes back in
// a minimal Exif section where Exif went, and with -purejpg its ICC profile
// (APP2) and Adobe (APP14) sections, after the SOI marker and a leading APP0.
std::string Strip(std::string_view bytes, const Layout& layout, const Removal& removal, bool asJhead);

// The orientation (1..8) in the first Exif section; 1 when there is none.
int ExifOrientation(const Layout& layout);

}  // namespace jhead
