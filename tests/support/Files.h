#pragma once
// Whole-file reads and writes for test set-up and checks.

#include <string>

// Creates parent folders as needed; throws when the file cannot be written.
void WriteFile(const std::string& path, const std::string& bytes);
// Throws when the file cannot be opened.
std::string ReadFile(const std::string& path);
bool FileExists(const std::string& path);
