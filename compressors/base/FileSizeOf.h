#pragma once
// The size query the plug-in optimizers measure their files with.

#include <string>

#include "compressors/base/OptimizerTypes.h"

// Low 32 bits of the file's size; -1 when the file cannot be opened or is not
// a regular file.
FileSize FileSizeOf(const std::string& path);
