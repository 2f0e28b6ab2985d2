#include "app/core/PathParts.h"

std::string FileNameOf(const std::string& path)
{
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string ExtensionOf(const std::string& path)
{
    const auto dot = path.rfind('.');
    if (dot == std::string::npos) return {};
    const auto slash = path.rfind('/');
    if (slash != std::string::npos && slash > dot) return {};
    return path.substr(dot);
}
