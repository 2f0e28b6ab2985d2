#pragma once
// JPEG checks that decode a band of rows at a time: memory stays bounded by
// the width, whatever the height.

#include <cstdint>
#include <span>
#include <string>

// Why libjpeg-turbo refuses the JPEG ("Bogus marker length"): every marker
// and every entropy-coded segment read, the blocks decoded at an eighth of
// their size (the same fatal errors as a full decode, without the cost of
// one); empty when it decodes, with corrupt-data warnings or not, and for a
// picture too large to check.
std::string JpegDamage(std::span<const std::uint8_t> bytes);

// True when both decode (neither too large to check) and the output shows
// the source's samples, as SamePicture says for a JPEG; the source is decoded
// here, in step with the output.
bool SameJpeg(std::span<const std::uint8_t> source, std::span<const std::uint8_t> output);
