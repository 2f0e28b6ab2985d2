#pragma once
// Buffered writing of minified text to a destination file.

#include <string>
#include <string_view>

#include "compressors/text/CssSink.h"
#include "compressors/tools/FileDescriptor.h"
#include "compressors/tools/FileErrors.h"

class CssFileSink : public CssSink {
public:
    // Creates or truncates the file; throws "Cannot create file ..." on failure.
    explicit CssFileSink(const std::string& path);
    void Append(std::string_view text) override;
    // Writes what is buffered and closes; throws "Cannot write file ..."
    // when the data cannot be stored.
    void Close();

    static FileError ReadFault(const std::string& path, int error);
    static FileError WriteFault(const std::string& path, int error);

private:
    void Flush();
    void WriteAll(const char* data, std::size_t length);

    std::string path_;
    FileDescriptor file_;
    std::string buffer_;
};
