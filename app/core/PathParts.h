#pragma once
// File name and extension of a path, "/" being the only delimiter.

#include <string>

// The text after the last "/" (the whole path when there is none).
std::string FileNameOf(const std::string& path);

// From the last "." to the end, dot included and case kept, when that dot
// stands after the last "/"; otherwise empty.
std::string ExtensionOf(const std::string& path);
