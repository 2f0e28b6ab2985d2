#include "app/core/FileKinds.h"

#include <algorithm>
#include <array>

#include "app/core/PathParts.h"

namespace {

constexpr std::array<TExtensionKind, 9> kExtensions = {{
    {".css", FileKind::CSS},
    {".js", FileKind::JS},
    {".htm", FileKind::HTML},
    {".html", FileKind::HTML},
    {".gif", FileKind::GIF},
    {".jpg", FileKind::JPEG},
    {".jpeg", FileKind::JPEG},
    {".jpe", FileKind::JPEG},
    {".png", FileKind::PNG},
}};

char LowerAscii(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

}  // namespace

std::span<const TExtensionKind> KnownExtensions()
{
    return kExtensions;
}

FileKind FileKindOf(const std::string& path, LetterCase letterCase)
{
    std::string extension = ExtensionOf(path);
    if (letterCase == LetterCase::Any)
        std::transform(extension.begin(), extension.end(), extension.begin(), LowerAscii);
    const auto known = std::find_if(kExtensions.begin(), kExtensions.end(),
                                    [&](const TExtensionKind& entry) { return entry.extension == extension; });
    return known == kExtensions.end() ? FileKind::Other : known->kind;
}
