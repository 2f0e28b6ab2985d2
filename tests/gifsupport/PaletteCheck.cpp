#include "tests/gifsupport/PaletteCheck.h"

#include "tests/gifsupport/Decoders.h"

std::string PaletteMismatch(const std::vector<std::uint8_t>& source, const std::vector<std::uint8_t>& output)
{
    const auto before = CompositeWithGiflib(source);
    if (!before) return "giflib cannot read the source";
    const auto after = CompositeWithGiflib(output);
    if (!after) return "giflib cannot read the output";
    if (after->Width != before->Width || after->Height != before->Height)
        return "screen " + std::to_string(after->Width) + "x" + std::to_string(after->Height) + ", source " +
               std::to_string(before->Width) + "x" + std::to_string(before->Height);
    if (after->Frames.size() != before->Frames.size())
        return std::to_string(after->Frames.size()) + " frames, source " + std::to_string(before->Frames.size());
    for (std::size_t i = 0; i < before->Frames.size(); ++i) {
        const std::string frame = "frame " + std::to_string(i) + ": ";
        if (after->Frames[i].Delay != before->Frames[i].Delay)
            return frame + "delay " + std::to_string(after->Frames[i].Delay) + ", source " +
                   std::to_string(before->Frames[i].Delay);
        const std::vector<std::uint8_t>& a = before->Frames[i].Rgba;
        const std::vector<std::uint8_t>& b = after->Frames[i].Rgba;
        for (std::size_t p = 0; p < a.size(); p += 4) {
            const std::string where = frame + "pixel (" + std::to_string(p / 4 % std::size_t(before->Width)) + "," +
                                      std::to_string(p / 4 / std::size_t(before->Width)) + ") ";
            if ((a[p + 3] == 0) != (b[p + 3] == 0))
                return where +
                       (a[p + 3] == 0 ? "painted, transparent in the source" : "transparent, painted in the source");
            const int dr = a[p] - b[p], dg = a[p + 1] - b[p + 1], db = a[p + 2] - b[p + 2];
            if (dr * dr + dg * dg + db * db > kPaletteDistance) return where + "color too far from the source's";
        }
    }
    return "";
}
