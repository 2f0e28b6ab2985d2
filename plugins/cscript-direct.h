#pragma once
// ESC.wsf's levels 2 to 4 without Node.js: the script host runs the esbuild
// binary beside ESC.wsf itself, with the options ESC.wsf gives esbuild's JS
// API, and does what ESC.wsf does around it (the destination opened before
// the work, the source kept when nothing shrinks or on a syntax error, the
// same one-line messages). A run with few scripts then starts no Node.js.

#include <optional>

// The exit status of ESC.wsf for `scriptAndArguments` (the script's path
// first) done here, its messages written to standard error; nothing when the
// job is one for ESC.wsf itself (another script, level 1, conditional
// compilation, no esbuild binary, an unusual command line, a source that
// cannot be read): nothing was written then.
std::optional<int> RunScriptPluginDirectly(char** scriptAndArguments);
