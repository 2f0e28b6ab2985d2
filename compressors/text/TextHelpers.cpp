#include "compressors/text/TextHelpers.h"

std::string ReplaceAll(std::string_view text, std::string_view oldText, std::string_view newText)
{
    if (oldText.empty()) return std::string(text);
    std::string result;
    result.reserve(text.size());
    std::size_t from = 0;
    for (std::size_t at = text.find(oldText); at != std::string_view::npos; at = text.find(oldText, from)) {
        result.append(text, from, at - from);
        result.append(newText);
        from = at + oldText.size();
    }
    result.append(text, from);
    return result;
}

std::size_t FindFrom(std::string_view sub, std::string_view text, std::size_t start)
{
    if (start == 0) start = 1;
    if (start > text.size()) return 0;
    const std::size_t at = text.find(sub, start - 1);
    return at == std::string_view::npos ? 0 : at + 1;
}
