#pragma once
// Where the program and its plug-ins are.

#include <string>

// The folder holding the running executable, with a trailing "/".
std::string ProgramDir();

// The folder under an installation prefix that holds plugins/, the script
// host and help.html, relative to the prefix's bin/.
constexpr const char* kInstalledSupportDir = "../lib/quorvan-web-optimizer/";

// The folder of plugins/, the script host and help.html for a program in
// programDir (with its trailing "/"): programDir itself when it has a plugins/
// folder (the build tree), else programDir + kInstalledSupportDir (normalized)
// when that has one (an installed program), else programDir.
std::string SupportDirFor(const std::string& programDir);

// SupportDirFor(ProgramDir()), found once.
const std::string& SupportDir();

// SupportDir() followed by "plugins/"; the plug-in folder of the default run environment.
const std::string& PluginDir();
