#include "compressors/verify/JpegCompare.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "compressors/verify/JpegPixels.h"
#include "compressors/verify/JpegReader.h"

namespace {

// How far a sample of a JPEG turned by moving its coefficients may decode from
// the source's sample turned (libjpeg-turbo's integer transform rounds the
// rows and columns in another order; 3 measured).
constexpr int kTurnedReach = 4;

// The two files declare different orientations (the output was turned
// losslessly): whole pictures turned upright, each sample within reach.
bool SameTurned(std::span<const std::uint8_t> source, std::span<const std::uint8_t> output)
{
    const auto a = DecodeJpeg(source);
    if (!a) return false;
    const auto b = DecodeJpeg(output);
    if (!b || b->warnings > a->warnings || a->width != b->width || a->height != b->height ||
        a->components != b->components || a->colorSpace != b->colorSpace)
        return false;
    return std::equal(a->samples.begin(), a->samples.end(), b->samples.begin(),
                      [](std::uint8_t x, std::uint8_t y) { return std::abs(int(x) - int(y)) <= kTurnedReach; });
}

// The same colour space and components sampled alike: equal component planes
// (before upsampling and colour conversion) decode to equal pixels.
bool SameLayout(const jpeg_decompress_struct& a, const jpeg_decompress_struct& b)
{
    if (a.jpeg_color_space != b.jpeg_color_space || a.num_components != b.num_components) return false;
    for (int c = 0; c < a.num_components; ++c)
        if (a.comp_info[c].h_samp_factor != b.comp_info[c].h_samp_factor ||
            a.comp_info[c].v_samp_factor != b.comp_info[c].v_samp_factor)
            return false;
    return true;
}

// One band of raw component rows, as jpeg_read_raw_data fills it.
class TBand {
public:
    explicit TBand(const jpeg_decompress_struct& info)
    {
        for (int c = 0; c < info.num_components; ++c) {
            const jpeg_component_info& component = info.comp_info[c];
            const std::size_t width = std::size_t{component.width_in_blocks} * DCTSIZE;
            const std::size_t rows = static_cast<std::size_t>(component.v_samp_factor) * DCTSIZE;
            samples_.emplace_back(width * rows);
            rows_.emplace_back(rows);
            for (std::size_t r = 0; r < rows; ++r) rows_.back()[r] = samples_.back().data() + r * width;
        }
        for (auto& rows : rows_) planes_.push_back(rows.data());
    }
    JSAMPIMAGE Planes() { return planes_.data(); }
    const std::uint8_t* Row(int component, std::size_t row) const { return rows_[std::size_t(component)][row]; }

private:
    std::vector<std::vector<std::uint8_t>> samples_;
    std::vector<std::vector<JSAMPROW>> rows_;
    std::vector<JSAMPARRAY> planes_;
};

// Both started in raw mode with the same layout: the visible part of each
// component plane (the padding to whole blocks never shows) compared band by band.
bool SamePlanes(TJpegReader& a, TJpegReader& b)
{
    jpeg_decompress_struct& info = a.Info();
    TBand bandA(info), bandB(b.Info());
    const JDIMENSION lines = static_cast<JDIMENSION>(info.max_v_samp_factor * DCTSIZE);
    for (std::size_t band = 0; info.output_scanline < info.output_height; ++band) {
        if (!a.ReadRaw(bandA.Planes(), lines) || !b.ReadRaw(bandB.Planes(), lines)) return false;
        for (int c = 0; c < info.num_components; ++c) {
            const jpeg_component_info& component = info.comp_info[c];
            const std::size_t rows = static_cast<std::size_t>(component.v_samp_factor) * DCTSIZE;
            const std::size_t first = band * rows;
            const std::size_t shown = std::min<std::size_t>(rows, component.downsampled_height - std::min<std::size_t>(first, component.downsampled_height));
            for (std::size_t r = 0; r < shown; ++r)
                if (std::memcmp(bandA.Row(c, r), bandB.Row(c, r), component.downsampled_width) != 0) return false;
        }
    }
    return true;
}

// Both started to decode to pixels: row by row.
bool SameRows(TJpegReader& a, TJpegReader& b)
{
    const jpeg_decompress_struct& ia = a.Info();
    const jpeg_decompress_struct& ib = b.Info();
    if (ia.output_width != ib.output_width || ia.output_height != ib.output_height ||
        ia.output_components != ib.output_components || ia.out_color_space != ib.out_color_space)
        return false;
    const std::size_t stride = std::size_t{ia.output_width} * static_cast<std::size_t>(ia.output_components);
    std::vector<std::uint8_t> rowA(stride), rowB(stride);
    JSAMPROW pa = rowA.data(), pb = rowB.data();
    while (ia.output_scanline < ia.output_height) {
        if (!a.ReadRows(&pa, 1) || !b.ReadRows(&pb, 1)) return false;
        if (rowA != rowB) return false;
    }
    return true;
}

}  // namespace

std::string JpegDamage(std::span<const std::uint8_t> bytes)
{
    if (bytes.empty()) return "empty file";
    TJpegReader reader(bytes);
    if (reader.Failed()) return reader.Failure();
    if (reader.TooLarge()) return {};
    jpeg_decompress_struct& info = reader.Info();
    info.scale_num = 1;
    info.scale_denom = 8;
    if (!reader.Start()) return reader.Failure();
    std::vector<std::uint8_t> row(std::size_t{info.output_width} * static_cast<std::size_t>(info.output_components));
    JSAMPROW samples = row.data();
    while (info.output_scanline < info.output_height)
        if (!reader.ReadRows(&samples, 1)) return reader.Failure();
    return reader.Finish() ? std::string() : reader.Failure();
}

bool SameJpeg(std::span<const std::uint8_t> source, std::span<const std::uint8_t> output)
{
    if (source.empty() || output.empty()) return false;
    TJpegReader a(source), b(output);
    if (a.Failed() || b.Failed() || a.TooLarge() || b.TooLarge()) return false;
    if (a.Orientation() != b.Orientation()) return SameTurned(source, output);
    jpeg_decompress_struct& ia = a.Info();
    jpeg_decompress_struct& ib = b.Info();
    if (ia.image_width != ib.image_width || ia.image_height != ib.image_height) return false;
    const bool raw = SameLayout(ia, ib);
    ia.raw_data_out = ib.raw_data_out = raw ? TRUE : FALSE;
    if (!a.Start() || !b.Start()) return false;
    if (!(raw ? SamePlanes(a, b) : SameRows(a, b))) return false;
    return a.Finish() && b.Finish() && b.Warnings() <= a.Warnings();
}
