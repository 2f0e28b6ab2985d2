#include "compressors/Compressors.h"

// Stand-in until the GIF engine's optimizer lands: behaves as level 0.
void CompressGIF(const std::string& source, const std::string& destination, Level,
                 FileSize& originalSize, FileSize& optimizedSize)
{
    PlainCopy(source, destination, originalSize, optimizedSize);
}
