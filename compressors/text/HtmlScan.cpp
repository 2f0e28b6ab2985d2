#include "compressors/text/HtmlScan.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "compressors/text/HtmlChars.h"

HtmlScan::HtmlScan(std::string& workingText)
    : text(workingText), n(workingText.size()), nextTagEnd(workingText, ">"),
      nextSpace(workingText, "", HtmlLookahead::Kind::AnyHtmlSpace), nextStyleEnd(workingText, "</style>"),
      nextScriptEnd(workingText, "</script>")
{
}

void HtmlScan::LowerInPlace(std::size_t first, std::size_t last)
{
    // Lowercased bytes stay lowercase, so an overlap with an earlier range is skipped.
    first = std::max(first, lowered_);
    if (n == 0) return;
    if (last >= n) last = n - 1;
    if (first > last) return;
    lowered_ = last + 1;
    std::size_t changedFirst = std::string::npos;
    std::size_t changedLast = 0;
    for (std::size_t i = first; i <= last; ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        const unsigned char lower = LowerAscii(c);
        if (lower != c) {
            text[i] = static_cast<char>(lower);
            changedFirst = std::min(changedFirst, i);
            changedLast = i;
        }
    }
    if (changedFirst != std::string::npos) {
        nextStyleEnd.Changed(changedFirst, changedLast);
        nextScriptEnd.Changed(changedFirst, changedLast);
    }
}

void HtmlScan::AppendProtected(std::string_view bytes)
{
    if (bytes.empty()) return;
    JoinEqualsSigns(output, unprotected_);
    output.append(bytes);
    unprotected_ = output.size();
}

std::string HtmlScan::TakeOutput()
{
    JoinEqualsSigns(output, unprotected_);
    unprotected_ = 0;
    return std::move(output);
}

void JoinEqualsSigns(std::string& text, std::size_t from)
{
    // Replacing " =" and then "= " comes down to dropping every blank next to
    // an "=": neither pattern can overlap itself, and a blank that survives
    // the first pass still has its original left neighbour.
    char* const data = text.data();
    const std::size_t size = text.size();
    std::size_t write = from;
    std::size_t read = from;
    for (;;) {
        const void* hit = read < size ? std::memchr(data + read, '=', size - read) : nullptr;
        if (hit == nullptr) break;
        const std::size_t equals = static_cast<std::size_t>(static_cast<const char*>(hit) - data);
        std::size_t end = equals;
        if (equals > read && data[equals - 1] == ' ') --end;
        std::memmove(data + write, data + read, end - read);
        write += end - read;
        data[write++] = '=';
        read = equals + 1;
        if (read < size && data[read] == ' ') ++read;
    }
    std::memmove(data + write, data + read, size - read);
    text.resize(write + size - read);
}
