#pragma once
// Proof that an optimized image shows what its source shows, by decoders
// that are not ours (giflib, libpng, libjpeg-turbo).

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

enum class TImageFormat { GIF, PNG, JPEG };

// How close the output's colours must stay.
enum class TColorMatch {
    Exact,
    // Each opaque colour within the reach of the fixed 6 x 6 x 6 palette
    // (steps of 51): at most 25.5 off on every channel, so a squared
    // distance of at most 3 x 26 x 26. Transparency stays exact.
    FixedPalette,
};

// A source picture read once, before its optimizer runs, so that a source its
// decoder refuses is known before a plug-in sees it. A PNG is decoded then,
// and the proof of the output decodes the output alone; a JPEG is only
// checked for damage then (JpegCompare.h) and decoded by the proof, in step
// with the output; a GIF is decoded by the proof, as it plays.
class TSourcePicture {
public:
    TSourcePicture(TImageFormat format, std::vector<std::uint8_t> bytes);
    ~TSourcePicture();
    TSourcePicture(TSourcePicture&&) noexcept;
    TSourcePicture& operator=(TSourcePicture&&) noexcept;

    TImageFormat Format() const { return format_; }
    const std::vector<std::uint8_t>& Bytes() const { return bytes_; }
    // Why libpng or libjpeg-turbo refuses the PNG or JPEG ("IHDR: CRC
    // error"); empty when it decodes (with corrupt-data warnings or not),
    // for a picture too large to check, and for a GIF.
    const std::string& Damage() const { return damage_; }

private:
    friend bool SamePicture(TColorMatch match, const TSourcePicture& source, std::span<const std::uint8_t> output);
    struct TDecoded;

    TImageFormat format_;
    std::vector<std::uint8_t> bytes_;
    std::string damage_;
    std::unique_ptr<TDecoded> decoded_;
};

// True when the output decodes and shows the same picture as the source:
//   GIF: the same screen size, and at every moment of the animation, as a
//     browser plays it (GifMovie.h), the same picture (colours as `match`
//     says, transparency exact); the same total time and, when the picture
//     changes, the same loop count. Only the last picture of an animation
//     played once, or of a still image, may show for a different time.
//   PNG: the same size and the same RGBA samples (PngPixels.h).
//   JPEG: the same size, colour space and samples once each file's Exif
//     orientation is applied (JpegPixels.h), and no corrupt-data warning the
//     source did not have. Where the two declare different orientations (the
//     output was turned losslessly), each sample may be 4 off: the decoder
//     rounds a turned block differently.
// False as well when the source itself does not decode: nothing is accepted
// unchecked.
bool SamePicture(TImageFormat format, TColorMatch match, std::span<const std::uint8_t> source,
                 std::span<const std::uint8_t> output);
// The same, for a source read before.
bool SamePicture(TColorMatch match, const TSourcePicture& source, std::span<const std::uint8_t> output);

// Why giflib refuses a GIF ("Premature end of data"), read a row at a time
// (its memory bounded by the widest frame); empty when it reads it.
std::string GifDamage(std::span<const std::uint8_t> bytes);
