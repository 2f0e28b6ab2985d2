#include "compressors/Compressors.h"
#include "compressors/text/HtmlFiles.h"
#include "compressors/text/HtmlMinifier.h"
#include "compressors/tools/SourceGuard.h"

void CompressHTML(const std::string& source, const std::string& destination, Level htmlLevel, Level jsLevel,
                  Level cssLevel, FileSize& originalSize, FileSize& optimizedSize)
{
    if (htmlLevel == 0) {
        PlainCopy(source, destination, originalSize, optimizedSize);
        return;
    }
    EnsureNotSource(source, destination);
    std::string page = ReadHtmlFile(source);
    originalSize = static_cast<FileSize>(page.size());
    const HtmlLevels levels{htmlLevel, jsLevel, cssLevel};
    std::string output = MinifyHTML(page, levels, DestinationDirectory(destination));
    page = std::string();  // the working text is no longer needed
    optimizedSize = static_cast<FileSize>(output.size());
    WriteHtmlFile(destination, output);
}
