#pragma once
// Whole-file reads and writes for the HTML minifier. Failures throw FileError
// with the file layer's messages (Cannot open file "<path>". <reason>, ...).

#include <string>
#include <string_view>

std::string ReadHtmlFile(const std::string& path);
void WriteHtmlFile(const std::string& path, std::string_view bytes);

// Removes a file if it is there; never throws.
void RemoveHtmlFileQuietly(const std::string& path);
