#pragma once
// Level 1 of the style sheet minifier, working inside the caller's buffer.

#include <string>

// Rewrites text into its level 1 form (see MinifyCSSBasic) in place; it
// never grows.
void MinifyCSSBasicInPlace(std::string& text);
