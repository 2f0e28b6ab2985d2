#pragma once
// The kind of a file by its extension: the optimizer table's row for it. The
// run picks its optimizer by it, the window its icons, the folder walk and
// the open dialog their files.

#include <string>
#include <vector>

#include "compressors/Optimizers.h"

struct TExtensionKind {
    std::string extension;  // dot included, lower case
    FileKind kind;
};

// Every known extension, in the order of the table's rows and of each row's
// extensions: .css .js .htm .html .gif .jpg .jpeg .jpe .png for the built-in rows.
std::vector<TExtensionKind> KnownExtensions();

// The kind of ExtensionOf(path); null for an unlisted or empty extension.
FileKind FileKindOf(const std::string& path, LetterCase letterCase = LetterCase::Exact);
