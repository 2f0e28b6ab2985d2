#include "compressors/text/CompressCSS.h"

#include <cstdint>

#include "compressors/base/Files.h"
#include "compressors/base/PlainCopy.h"
#include "compressors/base/SourceGuard.h"
#include "compressors/text/CssBasic.h"
#include "compressors/text/CssFileSink.h"
#include "compressors/text/CssRuns.h"

void CompressCSS(const std::string& source, const std::string& destination, Level level, FileSize& originalSize,
                 FileSize& optimizedSize, const TRunEnvironment& environment)
{
    if (level == 0) {
        PlainCopy(source, destination, originalSize, optimizedSize, environment);
        return;
    }
    std::string text = ReadEntireFile(source);
    originalSize = static_cast<FileSize>(static_cast<std::uint32_t>(text.size()));
    MinifyCSSBasicInPlace(text);

    // Level 2 is written straight from the pair tables, so the regrouped
    // sheet never needs a second buffer.
    EnsureNotSource(source, destination);
    CssFileSink output(destination, environment.control.get());
    if (level == 2)
        RegroupRuns(text, output);
    else
        output.Append(text);
    const std::uint64_t length = output.Written();
    output.Commit();
    optimizedSize = static_cast<FileSize>(static_cast<std::uint32_t>(length));
}
