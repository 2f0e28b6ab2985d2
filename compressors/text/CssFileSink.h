#pragma once
// Buffered writing of minified text into a replacement of a destination file.

#include <cstdint>
#include <string>
#include <string_view>

#include "compressors/base/Files.h"
#include "compressors/text/CssSink.h"

class CssFileSink : public CssSink {
public:
    // Starts the replacement (FileReplacement, its temporary file registered
    // with the control when there is one); faults are FileErrors.
    CssFileSink(const std::string& path, TRunControl* control);
    void Append(std::string_view text) override;
    // The bytes appended so far.
    std::uint64_t Written() const { return written_; }
    // Writes what is buffered and puts the file in place of the destination.
    void Commit();

private:
    void Flush();

    FileReplacement file_;
    std::string buffer_;
    std::uint64_t written_ = 0;
};
