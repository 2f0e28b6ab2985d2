#pragma once
// The kind of a file by its extension: the one table of the extensions the
// program knows. The run picks its optimizer by it, the window its icons, the
// folder walk and the open dialog their files.

#include <span>
#include <string>
#include <string_view>

enum class FileKind { CSS, GIF, HTML, JS, PNG, JPEG, Other };

// How an extension is compared with the table.
enum class LetterCase {
    Exact,  // case-sensitive: ".CSS" is no style sheet (the run, the icons)
    Any     // ASCII letters in any case: ".CSS" is one (the folder walk, the open dialog)
};

struct TExtensionKind {
    std::string_view extension;  // dot included, lower case
    FileKind kind;
};

// Every known extension, in the order the open dialog lists them:
// .css .js .htm .html .gif .jpg .jpeg .jpe .png.
std::span<const TExtensionKind> KnownExtensions();

// The kind of ExtensionOf(path); Other for an unlisted or empty extension.
FileKind FileKindOf(const std::string& path, LetterCase letterCase = LetterCase::Exact);
