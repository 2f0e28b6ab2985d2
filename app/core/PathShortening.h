#pragma once
// Shortens a path for display by replacing leading folders with ".../".

#include <functional>
#include <string>

// Returns the width of a text in pixels on the surface it will be drawn on.
using TextWidthFunction = std::function<int(const std::string& text)>;

// Cuts folders from the front of the folder part, marking the cut with ".../",
// until the path measures at most maxWidth or only the file name is left:
// /Work/Site/img/logo.png -> /.../Site/img/logo.png -> /.../img/logo.png
// -> /.../logo.png -> .../logo.png -> logo.png. The result may still be wider
// than maxWidth when only the file name is left.
std::string ShortenPath(const std::string& path, int maxWidth, const TextWidthFunction& textWidth);
