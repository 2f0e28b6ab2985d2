#include "app/core/Level.h"

#include <cctype>
#include <stdexcept>

namespace {

int Digit(const std::string& text, std::size_t index)
{
    if (index >= text.size() || !std::isdigit(static_cast<unsigned char>(text[index])))
        throw std::runtime_error("\"" + text + "\" is not a valid level");
    return text[index] - '0';
}

}  // namespace

Level LevelFromText(const std::string& text, bool jpegSelector)
{
    const int first = Digit(text, 0);
    if (!jpegSelector || (text.size() > 1 && text[1] == '-')) return static_cast<Level>(first);
    return static_cast<Level>(first * 10 + Digit(text, 1));
}

bool LossyLevel(FileKind kind, int level)
{
    switch (kind) {
    case FileKind::HTML: return level == 1 || level == 2;
    case FileKind::CSS:
    case FileKind::GIF: return level == 2;
    case FileKind::JPEG:
    case FileKind::JS:
    case FileKind::PNG:
    case FileKind::Other: break;
    }
    return false;
}
