#include "compressors/text/CompressHTML.h"

#include "compressors/base/Files.h"
#include "compressors/base/PlainCopy.h"
#include "compressors/base/SourceGuard.h"
#include "compressors/text/HtmlMinifier.h"

void CompressHTML(const std::string& source, const std::string& destination, Level htmlLevel, Level jsLevel,
                  Level cssLevel, FileSize& originalSize, FileSize& optimizedSize, const TRunEnvironment& environment)
{
    if (htmlLevel == 0) {
        PlainCopy(source, destination, originalSize, optimizedSize, environment);
        return;
    }
    EnsureNotSource(source, destination);
    std::string page = ReadEntireFile(source);
    originalSize = static_cast<FileSize>(page.size());
    const HtmlLevels levels{htmlLevel, jsLevel, cssLevel};
    std::string output =
        MinifyHTML(page, levels, DestinationDirectory(destination), environment, DestinationDirectory(source));
    page = std::string();  // the working text is no longer needed
    optimizedSize = static_cast<FileSize>(output.size());
    WriteEntireFile(destination, output, environment.control.get());
}
