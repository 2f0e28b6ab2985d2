#include <gif_lib.h>

#include <algorithm>
#include <string>
#include <vector>

#include "compressors/verify/GifMemory.h"
#include "compressors/verify/PictureCheck.h"

std::string GifDamage(std::span<const std::uint8_t> bytes)
{
    const auto text = [](int code) {
        if (code == D_GIF_ERR_READ_FAILED) return std::string("the file ends too soon");
        const char* message = GifErrorString(code);
        return std::string(message ? message : "unreadable");
    };
    TGifMemory source{bytes};
    int error = 0;
    GifFileType* gif = OpenGifMemory(source, &error);
    if (!gif) return text(error);
    const auto reason = [gif, &text] { return text(gif->Error); };
    std::string damage;
    std::vector<GifPixelType> row;
    GifRecordType record = UNDEFINED_RECORD_TYPE;
    while (damage.empty() && record != TERMINATE_RECORD_TYPE) {
        if (DGifGetRecordType(gif, &record) != GIF_OK) {
            damage = reason();
        } else if (record == IMAGE_DESC_RECORD_TYPE) {
            if (DGifGetImageDesc(gif) != GIF_OK) {
                damage = reason();
                break;
            }
            row.resize(static_cast<std::size_t>(std::max(gif->Image.Width, 1)));
            for (int y = 0; y < gif->Image.Height && damage.empty(); ++y)
                if (DGifGetLine(gif, row.data(), gif->Image.Width) != GIF_OK) damage = reason();
        } else if (record == EXTENSION_RECORD_TYPE) {
            int code = 0;
            GifByteType* block = nullptr;
            if (DGifGetExtension(gif, &code, &block) != GIF_OK) damage = reason();
            while (damage.empty() && block)
                if (DGifGetExtensionNext(gif, &block) != GIF_OK) damage = reason();
        }
    }
    DGifCloseFile(gif, &error);
    return damage;
}
