#pragma once
// Presence of the three plug-in files.

#include <string>
#include <vector>

#include "app/core/RunHost.h"

struct TPluginFile {
    const char* name;   // file name inside the plug-in folder
    Selector selector;  // the selector it serves
};

// "jhead.exe", "pngout.exe", "ESC.wsf", in the order they are checked.
const std::vector<TPluginFile>& PluginFiles();

// True when `directory` + name is a file; a folder of that name does not count.
bool PluginPresent(const std::string& directory, const std::string& name);
