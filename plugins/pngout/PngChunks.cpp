#include "PngChunks.h"

#include <zlib.h>

#include <array>
#include <cmath>
#include <cstring>
#include <vector>

namespace {

constexpr std::array<std::uint8_t, 8> kSignature{0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};

std::uint32_t BigEndian(const std::uint8_t* p)
{
    return std::uint32_t{p[0]} << 24 | std::uint32_t{p[1]} << 16 | std::uint32_t{p[2]} << 8 | p[3];
}

bool IsKept(const std::string& type)
{
    return type == "iCCP" || type == "sRGB" || type == "gAMA" || type == "cHRM" || type == "cICP" || type == "pHYs";
}

// The profile inflated, at most `limit` bytes (the header and tag table are
// enough to judge, and a profile is small).
std::vector<std::uint8_t> Inflate(const std::uint8_t* data, std::size_t size, std::size_t limit)
{
    std::vector<std::uint8_t> out(limit);
    z_stream stream{};
    if (inflateInit(&stream) != Z_OK) return {};
    stream.next_in = const_cast<std::uint8_t*>(data);
    stream.avail_in = static_cast<uInt>(size);
    stream.next_out = out.data();
    stream.avail_out = static_cast<uInt>(out.size());
    const int status = inflate(&stream, Z_FINISH);
    const std::size_t produced = out.size() - stream.avail_out;
    inflateEnd(&stream);
    if (status != Z_STREAM_END && status != Z_BUF_ERROR) return {};
    out.resize(produced);
    return out;
}

// A tag's data, or an empty span when the tag is missing or out of bounds.
std::span<const std::uint8_t> Tag(const std::vector<std::uint8_t>& profile, const char* signature)
{
    if (profile.size() < 132) return {};
    const std::uint32_t count = BigEndian(&profile[128]);
    for (std::uint32_t i = 0; i < count && 132 + 12 * (i + 1) <= profile.size(); ++i) {
        const std::uint8_t* entry = &profile[132 + 12 * i];
        if (std::memcmp(entry, signature, 4) != 0) continue;
        const std::uint32_t offset = BigEndian(entry + 4), size = BigEndian(entry + 8);
        if (offset > profile.size() || size > profile.size() - offset) return {};
        return {profile.data() + offset, size};
    }
    return {};
}

// An XYZ tag's value near (x, y, z).
bool XyzNear(std::span<const std::uint8_t> tag, double x, double y, double z)
{
    if (tag.size() < 20 || std::memcmp(tag.data(), "XYZ ", 4) != 0) return false;
    const double expected[3] = {x, y, z};
    for (int i = 0; i < 3; ++i) {
        const double value = static_cast<std::int32_t>(BigEndian(tag.data() + 8 + 4 * i)) / 65536.0;
        if (std::fabs(value - expected[i]) > 0.003) return false;
    }
    return true;
}

bool NamesSrgb(std::span<const std::uint8_t> tag)
{
    // 'desc' (ASCII) or 'mluc' (UTF-16BE): look for the letters either way.
    std::string text;
    for (std::uint8_t byte : tag)
        if (byte != 0) text += static_cast<char>(byte);
    return text.find("sRGB") != std::string::npos;
}

}  // namespace

std::optional<TPngFacts> ReadPngFacts(std::span<const std::uint8_t> bytes)
{
    if (bytes.size() < 8 || std::memcmp(bytes.data(), kSignature.data(), 8) != 0) return std::nullopt;
    TPngFacts facts;
    bool header = false;
    for (std::size_t at = 8; bytes.size() - at >= 12;) {
        const std::uint32_t length = BigEndian(&bytes[at]);
        const std::string type(reinterpret_cast<const char*>(&bytes[at + 4]), 4);
        if (length > bytes.size() - at - 12) return std::nullopt;
        const std::uint8_t* data = &bytes[at + 8];
        if (type == "IDAT") return header ? std::optional(facts) : std::nullopt;
        if (type == "IHDR" && length >= 13) {
            header = true;
            facts.width = BigEndian(data);
            facts.height = BigEndian(data + 4);
            facts.grey = data[9] == 0 || data[9] == 4;
            const int channels[] = {1, 0, 3, 1, 2, 0, 4};
            facts.bitsPerPixel = data[9] < 7 ? channels[data[9]] * data[8] : 0;
        }
        if (type == "acTL") facts.animated = true;
        if (IsKept(type)) facts.kept[type] = std::string(reinterpret_cast<const char*>(data), length);
        at += 12 + std::size_t{length};
    }
    return std::nullopt;
}

std::uint64_t RawBytesOf(const TPngFacts& facts)
{
    return facts.height * ((std::uint64_t{facts.width} * facts.bitsPerPixel + 7) / 8 + 1);
}

bool IsSrgbProfile(const std::string& iccpData)
{
    const std::size_t nul = iccpData.find('\0');
    if (nul == std::string::npos || nul + 2 > iccpData.size() || iccpData[nul + 1] != 0) return false;
    const auto* stream = reinterpret_cast<const std::uint8_t*>(iccpData.data()) + nul + 2;
    const std::vector<std::uint8_t> profile = Inflate(stream, iccpData.size() - nul - 2, 1 << 16);
    if (profile.size() < 132 || std::memcmp(&profile[12], "mntrRGB XYZ ", 12) != 0) return false;
    return XyzNear(Tag(profile, "rXYZ"), 0.4361, 0.2225, 0.0139) &&
           XyzNear(Tag(profile, "gXYZ"), 0.3851, 0.7169, 0.0971) &&
           XyzNear(Tag(profile, "bXYZ"), 0.1431, 0.0606, 0.7141) && NamesSrgb(Tag(profile, "desc"));
}

bool KeepsColour(const TPngFacts& source, const TPngFacts& output)
{
    if (output.kept.count("iCCP") && output.grey != source.grey) return false;
    if (output.kept == source.kept) return true;
    // The one change allowed: an sRGB profile given as an sRGB chunk.
    auto profile = source.kept.find("iCCP");
    if (profile == source.kept.end() || source.kept.count("sRGB") || !output.kept.count("sRGB") ||
        output.kept.count("iCCP") || !IsSrgbProfile(profile->second))
        return false;
    auto expected = source.kept;
    expected.erase("iCCP");
    auto actual = output.kept;
    actual.erase("sRGB");
    return actual == expected;
}
