#include "compressors/verify/GifMemory.h"

#include <gif_lib.h>

#include <algorithm>
#include <cstring>

namespace {

int ReadFromMemory(GifFileType* gif, GifByteType* buffer, int length)
{
    auto* memory = static_cast<TGifMemory*>(gif->UserData);
    const std::size_t n = std::min(static_cast<std::size_t>(length), memory->bytes.size() - memory->position);
    std::memcpy(buffer, memory->bytes.data() + memory->position, n);
    memory->position += n;
    return static_cast<int>(n);
}

}  // namespace

GifFileType* OpenGifMemory(TGifMemory& memory, int* error)
{
    return DGifOpen(&memory, &ReadFromMemory, error);
}
