#include "compressors/text/CompressCSS.h"

#include <cstdint>

#include "compressors/text/CssBasic.h"
#include "compressors/text/CssFileSink.h"
#include "compressors/text/CssRegrouper.h"
#include "compressors/tools/Files.h"
#include "compressors/tools/PlainCopy.h"
#include "compressors/tools/SourceGuard.h"

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

    // Level 2 is written straight from the pair table, so the regrouped
    // sheet never needs a second buffer.
    CssRegrouper regrouper(text);
    bool regroup = level == 2 && regrouper.Read();
    std::uint64_t length = text.size();
    if (regroup) {
        const std::uint64_t regrouped = regrouper.Plan();
        regroup = regrouped <= text.size();
        if (regroup) length = regrouped;
    }

    EnsureNotSource(source, destination);
    CssFileSink output(destination, environment.control.get());
    if (regroup)
        regrouper.Write(output);
    else
        output.Append(text);
    output.Commit();
    optimizedSize = static_cast<FileSize>(static_cast<std::uint32_t>(length));
}
