#include "compressors/text/CssFileSink.h"

namespace {
constexpr std::size_t kBufferSize = 1 << 16;
}

CssFileSink::CssFileSink(const std::string& path, TRunControl* control) : file_(path, control)
{
    buffer_.reserve(kBufferSize);
}

void CssFileSink::Append(std::string_view text)
{
    written_ += text.size();
    if (buffer_.size() + text.size() > kBufferSize) {
        Flush();
        if (text.size() >= kBufferSize) {
            file_.Write(text);
            return;
        }
    }
    buffer_.append(text);
}

void CssFileSink::Commit()
{
    Flush();
    file_.Commit();
}

void CssFileSink::Flush()
{
    file_.Write(buffer_);
    buffer_.clear();
}
