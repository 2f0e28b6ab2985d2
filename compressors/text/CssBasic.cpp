#include "compressors/text/CssBasic.h"

#include <cstring>
#include <string_view>

#include "compressors/base/LargeText.h"
#include "compressors/text/CssMinifier.h"
#include "compressors/text/CssVerbatim.h"

namespace {

// Level 1 in one left-to-right pass from in to out, which may be the same
// buffer: the output never runs ahead of the input.
//
// Comments: a comment opens where a kept "/" is followed by "*" (also a "/"
// that a removed comment has just brought next to that "*") and closes at
// the first "*/" that starts at or after the opener's asterisk, so "/*/" is
// a whole comment. An unclosed opener ends comment removal: it and all text
// after it stay.
// "/*!" comments are kept as written.
// Spaces: tabs and spaces shrink to one space per run, and that space goes
// when it follows ":" or "," or precedes "{". A run of line breaks alone
// vanishes where it cannot join two tokens (after ";", "{", "}", ":", ",",
// "/", a string or url(...), before "{", "}" or ";", at either end) and is
// one space elsewhere, so ".a" and ".b" on two lines stay two selectors.
// The first line break after a "}" that closes a block (with only spaces and
// removed comments between) becomes one carriage return right after it.
// Quoted strings and url(...) tokens are copied as written.
std::size_t Minify(const char* in, std::size_t size, char* out)
{
    const std::string_view input(in, size);
    std::size_t write = 0;
    bool pendingSpace = false;
    bool pendingBreak = false;  // line breaks alone since the last kept character
    char previous = 0;  // the last character kept that is not a space
    bool comments = true;
    bool afterCloser = false;  // nothing but spaces kept since a closing "}"

    // The run of "/" just written, and the state before it, so that a
    // comment opening at its last "/" can take that "/" back.
    std::size_t slashes = 0;
    std::size_t runWrite = 0;
    bool runPendingSpace = false;
    bool runPendingBreak = false;
    char runPrevious = 0;
    bool runAfterCloser = false;

    for (std::size_t read = 0; read < size; ++read) {
        const char c = in[read];
        if (c == '*' && slashes != 0 && comments) {
            const std::size_t close = std::string_view(in + read, size - read).find("*/");
            if (close != std::string_view::npos) {
                if (read + 1 < size && in[read + 1] == '!') {  // kept: its "/" is written already
                    std::memmove(out + write, in + read, close + 2);
                    write += close + 2;
                    read += close + 1;
                    previous = '/';
                    slashes = 0;
                    afterCloser = false;
                    continue;
                }
                if (--slashes == 0) {
                    write = runWrite;
                    pendingSpace = runPendingSpace;
                    pendingBreak = runPendingBreak;
                    previous = runPrevious;
                    afterCloser = runAfterCloser;
                } else {
                    --write;  // an earlier "/" of the run is now the last character
                }
                read += close + 1;
                continue;
            }
            comments = false;
        }
        switch (c) {
        case '\n':
        case '\r':
            slashes = 0;
            if (afterCloser) out[write++] = '\r';
            pendingBreak = !afterCloser && !pendingSpace && write != 0 &&
                           std::string_view(";{}:,/\"").find(previous) == std::string_view::npos;
            afterCloser = false;
            break;
        case '\t':
        case ' ':
            pendingSpace = true;
            pendingBreak = false;
            slashes = 0;
            break;
        default:
            if (const std::size_t end = c == '"' || c == '\'' || c == 'u' || c == 'U' ? CssVerbatimEnd(input, read) : read;
                end != read) {
                if ((pendingSpace && previous != ':' && previous != ',') || pendingBreak) out[write++] = ' ';
                pendingSpace = pendingBreak = false;
                std::memmove(out + write, in + read, end - read);
                write += end - read;
                read = end - 1;
                previous = '"';
                slashes = 0;
                afterCloser = false;
                break;
            }
            if (c != '/') {
                slashes = 0;
            } else if (slashes++ == 0) {
                runWrite = write;
                runPendingSpace = pendingSpace;
                runPendingBreak = pendingBreak;
                runPrevious = previous;
                runAfterCloser = afterCloser;
            }
            if (pendingSpace) {
                if (previous != ':' && previous != ',' && c != '{') out[write++] = ' ';
            } else if (pendingBreak && c != '{' && c != '}' && c != ';') {
                out[write++] = ' ';
            }
            pendingSpace = pendingBreak = false;
            out[write++] = c;
            previous = c;
            afterCloser = c == '}';
        }
    }
    if (pendingSpace && previous != ':' && previous != ',') out[write++] = ' ';
    return write;
}

}  // namespace

void MinifyCSSBasicInPlace(std::string& text)
{
    text.resize(Minify(text.data(), text.size(), text.data()));
}

std::string MinifyCSSBasic(std::string_view text)
{
    std::string result;
    ReserveLargeText(result, text.size());
    result.assign(text);
    MinifyCSSBasicInPlace(result);
    return result;
}
