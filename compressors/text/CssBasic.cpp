#include "compressors/text/CssBasic.h"

#include <algorithm>
#include <cstring>
#include <string_view>

#include "compressors/text/CssMinifier.h"

namespace {

// Removes comments in one left-to-right pass. A comment opens where a "/"
// that is kept is followed by "*", including a "/" that a removed comment
// has just brought next to that "*", and closes at the first "*/" that
// starts at or after the opener's asterisk (so "/*/" is a whole comment).
// An unclosed opener keeps it and all text after it.
std::size_t StripComments(char* data, std::size_t size)
{
    std::size_t write = 0;
    std::size_t read = 0;
    while (read < size) {
        const void* found = std::memchr(data + read, '*', size - read);
        const std::size_t star = found ? static_cast<const char*>(found) - data : size;
        if (write != read)
            std::memmove(data + write, data + read, star - read);
        write += star - read;
        read = star;
        if (read == size)
            break;
        if (write > 0 && data[write - 1] == '/') {
            const std::string_view rest(data + star, size - star);
            const std::size_t close = rest.find("*/");
            if (close == std::string_view::npos) {
                if (write != read)
                    std::memmove(data + write, data + read, size - read);
                write += size - read;
                break;
            }
            --write;   // the opener's "/"
            read = star + close + 2;
        } else {
            data[write++] = '*';
            ++read;
        }
    }
    return write;
}

// Line breaks vanish, tabs and spaces shrink to one space per run, and that
// space goes when it follows ":" or "," or precedes "{".
std::size_t SqueezeSpaces(char* data, std::size_t size)
{
    std::size_t write = 0;
    bool pendingSpace = false;
    char previous = 0;   // the last character kept that is not a space
    for (std::size_t read = 0; read < size; ++read) {
        const char c = data[read];
        switch (c) {
        case '\n':
        case '\r':
            break;
        case '\t':
        case ' ':
            pendingSpace = true;
            break;
        default:
            if (pendingSpace) {
                if (previous != ':' && previous != ',' && c != '{')
                    data[write++] = ' ';
                pendingSpace = false;
            }
            data[write++] = c;
            previous = c;
        }
    }
    if (pendingSpace && previous != ':' && previous != ',')
        data[write++] = ' ';
    return write;
}

}  // namespace

void MinifyCSSBasicInPlace(std::string& text)
{
    std::size_t size = StripComments(text.data(), text.size());
    size = SqueezeSpaces(text.data(), size);

    const std::size_t braces = static_cast<std::size_t>(std::count(text.data(), text.data() + size, '}'));
    text.resize(size + braces);
    // Insert a carriage return after every "}", filling from the end.
    char* data = text.data();
    std::size_t write = size + braces;
    for (std::size_t read = size; braces != 0 && read-- > 0;) {
        if (data[read] == '}')
            data[--write] = '\r';
        data[--write] = data[read];
        if (write == read)
            break;
    }
}

std::string MinifyCSSBasic(std::string_view text)
{
    std::string result;
    result.reserve(text.size() + static_cast<std::size_t>(std::count(text.begin(), text.end(), '}')));
    result.assign(text);
    MinifyCSSBasicInPlace(result);
    return result;
}
