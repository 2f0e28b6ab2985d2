#include "app/core/FileKinds.h"

#include "app/core/PathParts.h"

std::vector<TExtensionKind> KnownExtensions()
{
    std::vector<TExtensionKind> known;
    for (const FileKind kind : Optimizers())
        for (const std::string& extension : kind->extensions) known.push_back({extension, kind});
    return known;
}

FileKind FileKindOf(const std::string& path, LetterCase letterCase)
{
    return OptimizerForExtension(ExtensionOf(path), letterCase);
}
