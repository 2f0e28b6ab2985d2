#pragma once
// The plug-ins' level tables and command lines. Paths are passed as quoted
// arguments (QuoteArgument): an ordinary path appears as "<path>"; a double
// quote inside a path is written as \" so the tool still receives it intact.

#include <string>

#include "compressors/Compressors.h"

// jhead options per JPEG level: 1 "-dc", 2 "-de", 3 "-di", 4 "-purejpg",
// 12 "-dc -de", 13 "-dc -di", 23 "-de -di"; any other level "".
std::string JpegOptionText(Level level);
// The digit after pngout's "/s": levels 1..4 give "3".."0" (above 4: "0").
std::string PngLevelDigit(Level level);
// The digit after ESC.wsf's "-l": levels 1..4 give "1".."4" (above 4: "4").
std::string ScriptLevelDigit(Level level);

// PluginDir + "jhead.exe " + options + " " + "<destination>"
std::string JpegCommandLine(const std::string& destination, Level level);
// PluginDir + "pngout.exe /y /q /s" + digit + " " + "<source>" + " " + "<destination>"
std::string PngCommandLine(const std::string& source, const std::string& destination, Level level);
// cscript //Nologo "<PluginDir>ESC.wsf" -l N -ow "<destination>" "<source>"
std::string ScriptCommandLine(const std::string& source, const std::string& destination, Level level);
