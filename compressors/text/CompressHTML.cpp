#include "compressors/Compressors.h"

// Stand-in until the HTML minifier lands: behaves as level 0.
void CompressHTML(const std::string& source, const std::string& destination, Level, Level, Level,
                  FileSize& originalSize, FileSize& optimizedSize)
{
    PlainCopy(source, destination, originalSize, optimizedSize);
}
