#pragma once
// What a page's minifier is handed for its style and script elements.

#include <functional>
#include <string>
#include <string_view>

#include "compressors/base/OptimizerTypes.h"
#include "compressors/base/RunEnvironment.h"

// A style sheet minifier at a CSS level, and a file-level script optimizer
// (the script plug-in's: source, destination, level, sizes), as the optimizer
// table hands them to a page.
using THtmlStyleMinifier = std::function<std::string(std::string_view text, Level level)>;
using THtmlScriptTool = void (*)(const std::string& source, const std::string& destination, Level level,
                                 FileSize& originalSize, FileSize& optimizedSize, const TRunEnvironment& environment);
