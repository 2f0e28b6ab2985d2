#pragma once
// Buffered writing of minified text into a replacement of a destination file.

#include <string>
#include <string_view>

#include "compressors/text/CssSink.h"
#include "compressors/tools/Files.h"

class CssFileSink : public CssSink {
public:
    // Starts the replacement (FileReplacement); faults are FileErrors.
    explicit CssFileSink(const std::string& path);
    void Append(std::string_view text) override;
    // Writes what is buffered and puts the file in place of the destination.
    void Commit();

private:
    void Flush();

    FileReplacement file_;
    std::string buffer_;
};
