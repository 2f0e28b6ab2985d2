#pragma once
// Presence of the plug-in files the optimizer table's rows need.

#include <string>
#include <vector>

#include "compressors/Optimizers.h"

struct TPluginFile {
    std::string name;   // file name inside the plug-in folder
    FileKind kind;      // the row it serves
};

// The rows' plug-in files, in the order they are checked ("jhead.exe",
// "pngout.exe", "ESC.wsf" for the built-in rows: the images' first).
std::vector<TPluginFile> PluginFiles();

// True when `directory` + name is a file; a folder of that name does not count.
bool PluginPresent(const std::string& directory, const std::string& name);
