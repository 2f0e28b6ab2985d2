#pragma once
// quorvan.toml: the settings a site keeps beside its files.

#include <string>

#include "app/cli/Options.h"

// The configuration file's name in a site folder.
constexpr const char* kConfigName = "quorvan.toml";

// Reads the configuration (options.configPath, else quorvan.toml in the first
// folder PATH when there is one) into the options, except what the command
// line gave: a level per kind (css = 2), jobs, include and exclude (arrays of
// globs), incremental, keep-going (booleans), report and json (paths, as on the
// command line). A file found in the site is itself left out of the
// run (excluded). Throws UsageError "FILE:LINE: REASON" for a file that is not
// TOML, an unknown key, a value of the wrong type or out of range; and for a
// --config file that cannot be read.
void ApplyConfigFile(CliOptions& options);
