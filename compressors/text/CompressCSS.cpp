#include "compressors/Compressors.h"

// Stand-in until the CSS minifier lands: behaves as level 0.
void CompressCSS(const std::string& source, const std::string& destination, Level,
                 FileSize& originalSize, FileSize& optimizedSize)
{
    PlainCopy(source, destination, originalSize, optimizedSize);
}
