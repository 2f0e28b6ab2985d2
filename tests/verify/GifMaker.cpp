#include "tests/verify/GifMaker.h"

#include <gif_lib.h>

#include <stdexcept>

namespace {

int Append(GifFileType* gif, const GifByteType* data, int length)
{
    auto* out = static_cast<std::vector<std::uint8_t>*>(gif->UserData);
    out->insert(out->end(), data, data + length);
    return length;
}

void Check(int status)
{
    if (status != GIF_OK) throw std::runtime_error("giflib could not write the test GIF");
}

}  // namespace

std::vector<std::uint8_t> MakeGif(const TGifRecipe& recipe)
{
    std::vector<std::uint8_t> bytes;
    int error = 0;
    GifFileType* gif = EGifOpen(&bytes, &Append, &error);
    if (!gif) throw std::runtime_error("EGifOpen failed");
    const GifColorType colors[8] = {{0, 0, 0},   {255, 255, 255}, {200, 0, 0},    {215, 12, 10},
                                    {0, 0, 255}, {0, 160, 0},     {100, 100, 100}, {180, 180, 180}};
    ColorMapObject* map = GifMakeMapObject(8, colors);
    EGifSetGifVersion(gif, true);
    Check(EGifPutScreenDesc(gif, recipe.width, recipe.height, 8, 0, map));
    GifFreeMapObject(map);
    if (recipe.loop >= 0) {
        const GifByteType loop[3] = {1, GifByteType(recipe.loop & 0xff), GifByteType(recipe.loop >> 8)};
        Check(EGifPutExtensionLeader(gif, APPLICATION_EXT_FUNC_CODE));
        Check(EGifPutExtensionBlock(gif, 11, "NETSCAPE2.0"));
        Check(EGifPutExtensionBlock(gif, 3, loop));
        Check(EGifPutExtensionTrailer(gif));
    }
    for (const TFrameRecipe& frame : recipe.frames) {
        GraphicsControlBlock control{frame.disposal, false, frame.delay, frame.transparent};
        GifByteType extension[4];
        EGifGCBToExtension(&control, extension);
        Check(EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, 4, extension));
        Check(EGifPutImageDesc(gif, frame.left, frame.top, frame.width, frame.height, false, nullptr));
        std::vector<GifPixelType> pixels(frame.pixels.begin(), frame.pixels.end());
        Check(EGifPutLine(gif, pixels.data(), int(pixels.size())));
    }
    Check(EGifCloseFile(gif, &error));
    return bytes;
}
