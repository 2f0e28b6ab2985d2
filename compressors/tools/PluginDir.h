#pragma once
// Where the program and its plug-ins are.

#include <string>

// The folder holding the running executable, with a trailing "/".
std::string ProgramDir();

// ProgramDir() followed by "plugins/"; the plug-in folder of the default run environment.
const std::string& PluginDir();
