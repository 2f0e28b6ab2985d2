#pragma once
// Proof that an optimized image shows what its source shows, by decoders
// that are not ours (giflib, libpng, libjpeg-turbo).

#include <cstdint>
#include <span>

enum class TImageFormat { GIF, PNG, JPEG };

// How close the output's colours must stay.
enum class TColorMatch {
    Exact,
    // Each opaque colour within the reach of the fixed 6 x 6 x 6 palette
    // (steps of 51): at most 25.5 off on every channel, so a squared
    // distance of at most 3 x 26 x 26. Transparency stays exact.
    FixedPalette,
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
