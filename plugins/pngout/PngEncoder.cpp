#include "PngEncoder.h"

#include <libdeflate.h>
#include <zlib.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>
#include <unordered_map>

namespace {

using TBytes = std::vector<std::uint8_t>;

// Two of the quick trials are compressed again at the strongest level for
// a picture of up to this many bytes as RGBA, one above.
constexpr std::uint64_t kTwoStrongTrialsUpTo = 48 * 1024;
// The strong pass uses libdeflate's level 12 at every strength up to the
// first size (bytes of filtered data: it takes little time there), at the
// strongest two up to the second; above, 9 at the fastest, else 10 (about
// twice as fast as 12 for about 1% more).
constexpr std::uint64_t kLevel12AlwaysUpTo = 512 * 1024, kLevel12UpTo = 2 * 1024 * 1024;

enum TColourType : std::uint8_t { kGrey = 0, kRgb = 2, kPalette = 3, kGreyAlpha = 4, kRgba = 6 };

// One way to write the picture: a colour type and depth, with its palette or
// its transparent key colour.
struct TEncoding {
    TColourType type = kRgba;
    int depth = 8;
    std::vector<std::uint32_t> palette;  // RGBA, those with alpha first
    std::optional<std::uint32_t> key;    // RGBA of the transparent colour
};

std::uint8_t R(std::uint32_t c) { return std::uint8_t(c >> 24); }
std::uint8_t G(std::uint32_t c) { return std::uint8_t(c >> 16); }
std::uint8_t B(std::uint32_t c) { return std::uint8_t(c >> 8); }
std::uint8_t A(std::uint32_t c) { return std::uint8_t(c); }

void PutBigEndian(TBytes& out, std::uint32_t value)
{
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(std::uint8_t(value >> shift));
}

void PutChunk(TBytes& out, const char* type, const TBytes& data)
{
    PutBigEndian(out, static_cast<std::uint32_t>(data.size()));
    const std::size_t start = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    PutBigEndian(out, static_cast<std::uint32_t>(crc32(0, out.data() + start, static_cast<uInt>(out.size() - start))));
}

// What the picture's pixels allow, gathered in one pass.
struct TAnalysis {
    std::vector<std::uint32_t> pixels;  // RGBA, 8 bits a sample
    bool grey = true, opaque = true, binaryAlpha = true;
    std::unordered_map<std::uint32_t, std::uint32_t> colours;  // RGBA -> first use; up to 257 kept
    std::optional<std::uint32_t> key;  // a colour all transparent pixels share and no opaque one uses
    int greyDepth = 1;                 // the fewest bits that hold every grey level
};

std::optional<TAnalysis> Analyse(const TPngPixels& source)
{
    TAnalysis a;
    a.pixels.resize(source.rgba.size() / 4);
    std::optional<std::uint32_t> transparent;
    bool oneTransparent = true;
    for (std::size_t i = 0; i < a.pixels.size(); ++i) {
        std::uint32_t c = 0;
        for (int s = 0; s < 4; ++s) {
            const std::uint16_t v = source.rgba[4 * i + s];
            if ((v >> 8) != (v & 0xff)) return std::nullopt;
            c = c << 8 | (v & 0xff);
        }
        a.pixels[i] = c;
        a.grey = a.grey && R(c) == G(c) && G(c) == B(c);
        a.opaque = a.opaque && A(c) == 255;
        a.binaryAlpha = a.binaryAlpha && (A(c) == 0 || A(c) == 255);
        if (A(c) == 0) {
            oneTransparent = oneTransparent && (!transparent || *transparent == c);
            transparent = c;
        }
        if (a.colours.size() <= 256) a.colours.emplace(c, static_cast<std::uint32_t>(a.colours.size()));
        if (a.greyDepth < 8) {
            const int level = R(c);
            while (a.greyDepth < 8 && level % (255 / ((1 << a.greyDepth) - 1)) != 0) a.greyDepth *= 2;
        }
    }
    if (!a.opaque && a.binaryAlpha && oneTransparent &&
        std::find(a.pixels.begin(), a.pixels.end(), *transparent | 0xff) == a.pixels.end())
        a.key = transparent;
    return a;
}

using TChunks = std::map<std::string, std::string>;

// The chunks to write: the source's, an sRGB profile given as the sRGB chunk
// (perceptual intent) that says the same in 1 byte.
TChunks ChunksToWrite(const TPngFacts& facts)
{
    TChunks chunks = facts.kept;
    const auto profile = chunks.find("iCCP");
    if (profile != chunks.end() && !chunks.contains("sRGB") && IsSrgbProfile(profile->second)) {
        chunks.erase(profile);
        chunks["sRGB"] = std::string(1, '\0');
    }
    return chunks;
}

std::vector<TEncoding> EncodingsFor(const TAnalysis& a, const TPngFacts& facts)
{
    // An ICC profile fixes whether the picture is grey or colour (also when
    // it is written as an sRGB chunk).
    const bool profile = facts.kept.contains("iCCP");
    const bool greyAllowed = !profile || facts.grey, colourAllowed = !profile || !facts.grey;
    std::vector<TEncoding> encodings;
    if (a.grey && greyAllowed) {
        if (a.opaque) encodings.push_back({kGrey, a.greyDepth, {}, {}});
        else if (a.key) encodings.push_back({kGrey, a.greyDepth, {}, a.key});
        else encodings.push_back({kGreyAlpha, 8, {}, {}});
    }
    if (!colourAllowed) return encodings;
    if (a.colours.size() <= 256) {
        TEncoding palette{kPalette, 8, {}, {}};
        std::vector<std::pair<std::uint32_t, std::uint32_t>> byUse;  // first use, colour
        for (const auto& [colour, first] : a.colours) byUse.emplace_back(first, colour);
        std::sort(byUse.begin(), byUse.end());
        for (const auto& entry : byUse)
            if (A(entry.second) != 255) palette.palette.push_back(entry.second);
        for (const auto& entry : byUse)
            if (A(entry.second) == 255) palette.palette.push_back(entry.second);
        const std::size_t n = palette.palette.size();
        palette.depth = n <= 2 ? 1 : n <= 4 ? 2 : n <= 16 ? 4 : 8;
        encodings.push_back(std::move(palette));
    }
    if (a.opaque) encodings.push_back({kRgb, 8, {}, {}});
    else if (a.key) encodings.push_back({kRgb, 8, {}, a.key});
    else encodings.push_back({kRgba, 8, {}, {}});
    return encodings;
}

int ChannelsOf(TColourType type)
{
    switch (type) {
    case kGrey: case kPalette: return 1;
    case kGreyAlpha: return 2;
    case kRgb: return 3;
    case kRgba: return 4;
    }
    return 4;
}

// The rows of the picture in `encoding`, packed, without filter bytes.
std::vector<TBytes> RowsOf(const TAnalysis& a, const TEncoding& e, std::uint32_t width, std::uint32_t height)
{
    std::unordered_map<std::uint32_t, std::uint8_t> index;
    for (std::size_t i = 0; i < e.palette.size(); ++i) index[e.palette[i]] = static_cast<std::uint8_t>(i);
    const int bits = ChannelsOf(e.type) * e.depth;
    const std::size_t stride = (std::size_t{width} * bits + 7) / 8;
    std::vector<TBytes> rows(height, TBytes(stride, 0));
    const int greyScale = 255 / ((1 << e.depth) - 1);
    for (std::uint32_t y = 0; y < height; ++y) {
        TBytes& row = rows[y];
        for (std::uint32_t x = 0; x < width; ++x) {
            const std::uint32_t c = a.pixels[std::size_t{y} * width + x];
            switch (e.type) {
            case kGrey:
            case kPalette: {
                const int value = e.type == kGrey ? R(c) / greyScale : index.at(c);
                const std::size_t bit = std::size_t{x} * e.depth;
                row[bit / 8] |= std::uint8_t(value << (8 - e.depth - bit % 8));
                break;
            }
            case kGreyAlpha: row[2 * x] = R(c), row[2 * x + 1] = A(c); break;
            case kRgb: row[3 * x] = R(c), row[3 * x + 1] = G(c), row[3 * x + 2] = B(c); break;
            case kRgba: for (int s = 0; s < 4; ++s) row[4 * x + s] = std::uint8_t(c >> (24 - 8 * s)); break;
            }
        }
    }
    return rows;
}

std::uint8_t Paeth(int a, int b, int c)
{
    const int p = a + b - c, pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
    return std::uint8_t(pa <= pb && pa <= pc ? a : pb <= pc ? b : c);
}

void Filter(int type, const TBytes& row, const TBytes& above, std::size_t bpp, std::uint8_t* out)
{
    for (std::size_t i = 0; i < row.size(); ++i) {
        const int left = i >= bpp ? row[i - bpp] : 0, up = above[i], corner = i >= bpp ? above[i - bpp] : 0;
        const int predicted = type == 1 ? left : type == 2 ? up : type == 3 ? (left + up) / 2
                            : type == 4 ? Paeth(left, up, corner) : 0;
        out[i] = std::uint8_t(row[i] - predicted);
    }
}

// The filtered image data: `strategy` 0-4 one filter for every row, 5 the
// filter of least absolute sum on each row.
TBytes Filtered(const std::vector<TBytes>& rows, std::size_t bpp, int strategy)
{
    const std::size_t stride = rows.empty() ? 0 : rows[0].size();
    TBytes data, trial(stride);
    data.reserve(rows.size() * (stride + 1));
    TBytes zero(stride, 0);
    for (std::size_t y = 0; y < rows.size(); ++y) {
        const TBytes& above = y ? rows[y - 1] : zero;
        int chosen = strategy;
        if (strategy == 5) {
            std::uint64_t least = UINT64_MAX;
            for (int type = 0; type < 5; ++type) {
                Filter(type, rows[y], above, bpp, trial.data());
                std::uint64_t sum = 0;
                for (const std::uint8_t v : trial) sum += v < 128 ? v : 256 - v;
                if (sum < least) least = sum, chosen = type;
            }
        }
        data.push_back(static_cast<std::uint8_t>(chosen));
        data.resize(data.size() + stride);
        Filter(chosen, rows[y], above, bpp, data.data() + data.size() - stride);
    }
    return data;
}

struct TCompressorFree {
    void operator()(libdeflate_compressor* c) const { libdeflate_free_compressor(c); }
};

TBytes Compressed(libdeflate_compressor* compressor, const TBytes& data)
{
    TBytes out(libdeflate_zlib_compress_bound(compressor, data.size()));
    out.resize(libdeflate_zlib_compress(compressor, data.data(), data.size(), out.data(), out.size()));
    return out;
}

TBytes FileOf(const TEncoding& e, std::uint32_t width, std::uint32_t height, const TChunks& chunks,
              const TBytes& idat)
{
    TBytes out{0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
    TBytes header;
    PutBigEndian(header, width);
    PutBigEndian(header, height);
    header.insert(header.end(), {std::uint8_t(e.depth), e.type, 0, 0, 0});
    PutChunk(out, "IHDR", header);
    for (const auto& [type, data] : chunks) PutChunk(out, type.c_str(), TBytes(data.begin(), data.end()));
    if (e.type == kPalette) {
        TBytes colours, alphas;
        for (const std::uint32_t c : e.palette) {
            colours.insert(colours.end(), {R(c), G(c), B(c)});
            if (A(c) != 255) alphas.push_back(A(c));
        }
        PutChunk(out, "PLTE", colours);
        if (!alphas.empty()) PutChunk(out, "tRNS", alphas);
    } else if (e.key) {
        const int scale = e.type == kGrey ? 255 / ((1 << e.depth) - 1) : 1;
        TBytes key;
        const std::uint32_t k = *e.key;
        for (const std::uint8_t sample : e.type == kGrey ? TBytes{R(k)} : TBytes{R(k), G(k), B(k)})
            key.insert(key.end(), {0, std::uint8_t(sample / scale)});
        PutChunk(out, "tRNS", key);
    }
    PutChunk(out, "IDAT", idat);
    PutChunk(out, "IEND", {});
    return out;
}

}  // namespace

std::optional<TBytes> EncodePng(const TPngPixels& pixels, const TPngFacts& facts, int strength)
{
    const std::optional<TAnalysis> analysis = Analyse(pixels);
    if (!analysis) return std::nullopt;
    const std::uint64_t rgbaBytes = std::uint64_t{pixels.width} * pixels.height * 4;
    const std::uint64_t raw = RawBytesOf(facts);
    const int strongLevel = raw <= kLevel12AlwaysUpTo ? 12
                            : strength >= 3        ? 9
                            : strength == 2        ? 10
                            : raw <= kLevel12UpTo  ? 12
                                                   : 10;
    const std::size_t strongTrials = strength == 0 && rgbaBytes <= kTwoStrongTrialsUpTo ? 2 : 1;
    const std::unique_ptr<libdeflate_compressor, TCompressorFree> quick(libdeflate_alloc_compressor(6)),
        strong(libdeflate_alloc_compressor(strongLevel));
    if (!quick || !strong) return std::nullopt;
    // Every encoding and filter strategy is tried at a quick level; the
    // strong level then compresses the few that came out smallest (only
    // those keep their data).
    struct TTrial {
        std::size_t quickSize;
        const TEncoding* encoding;
        TBytes filtered;
    };
    const TChunks chunks = ChunksToWrite(facts);
    const std::vector<TEncoding> encodings = EncodingsFor(*analysis, facts);
    std::vector<TTrial> kept;  // smallest first
    for (const TEncoding& encoding : encodings) {
        const std::vector<TBytes> rows = RowsOf(*analysis, encoding, pixels.width, pixels.height);
        const std::size_t bpp = std::max(1, ChannelsOf(encoding.type) * encoding.depth / 8);
        // Below 8 bits a pixel, filters seldom pay: the unfiltered rows only.
        const int strategies = encoding.depth < 8 || encoding.type == kPalette ? 1 : 6;
        for (int strategy = 0; strategy < strategies; ++strategy) {
            TBytes filtered = Filtered(rows, bpp, strategy);
            // The whole file's size: a palette's chunks count against its smaller data.
            const std::size_t size =
                FileOf(encoding, pixels.width, pixels.height, chunks, Compressed(quick.get(), filtered)).size();
            const auto at = std::find_if(kept.begin(), kept.end(), [&](const TTrial& t) { return size < t.quickSize; });
            if (static_cast<std::size_t>(at - kept.begin()) >= strongTrials) continue;
            kept.insert(at, {size, &encoding, std::move(filtered)});
            if (kept.size() > strongTrials) kept.pop_back();
        }
    }
    std::optional<TBytes> best;
    for (const TTrial& trial : kept) {
        TBytes file = FileOf(*trial.encoding, pixels.width, pixels.height, chunks, Compressed(strong.get(), trial.filtered));
        if (!best || file.size() < best->size()) best = std::move(file);
    }
    return best;
}
