#pragma once
// The plug-ins' level tables and command lines. Paths are passed as quoted
// arguments (QuoteArgument): an ordinary path appears as "<path>"; a double
// quote inside a path is written as \" so the tool still receives it intact.

#include <string>

#include "compressors/base/OptimizerTypes.h"

// The plug-ins' file names in the plug-in folder; their failures name them.
inline constexpr const char* kJpegPlugin = "jhead.exe";
inline constexpr const char* kPngPlugin = "pngout.exe";
inline constexpr const char* kScriptPlugin = "ESC.wsf";
inline constexpr const char* kSvgPlugin = "SVG.wsf";

// jhead options per JPEG level: 1 "-dc", 2 "-de", 3 "-di", 4 "-purejpg",
// 12 "-dc -de", 13 "-dc -di", 23 "-de -di"; any other level "".
std::string JpegOptionText(Level level);
// The digit after pngout's "/s": levels 1..4 give "3".."0" (above 4: "0").
std::string PngLevelDigit(Level level);
// The digit after ESC.wsf's "-l": levels 1..4 give "1".."4" (above 4: "4").
std::string ScriptLevelDigit(Level level);

// The digit after SVG.wsf's "-l": levels 1..2 give "1".."2" (above 2: "2").
std::string SvgLevelDigit(Level level);

// The plug-in folder is the run environment's, with its trailing "/".

// pluginDir + "jhead.exe " + options + " " + "<destination>"
std::string JpegCommandLine(const std::string& pluginDir, const std::string& destination, Level level);
// pluginDir + "pngout.exe /y /q /s" + digit + " " + "<source>" + " " + "<destination>"
std::string PngCommandLine(const std::string& pluginDir, const std::string& source, const std::string& destination,
                           Level level);
// cscript //Nologo "<pluginDir>ESC.wsf" -l N -ow "<destination>" "<source>"
std::string ScriptCommandLine(const std::string& pluginDir, const std::string& source, const std::string& destination,
                              Level level);
// cscript //Nologo "<pluginDir>SVG.wsf" -l N -ow "<destination>" "<source>"
std::string SvgCommandLine(const std::string& pluginDir, const std::string& source, const std::string& destination,
                           Level level);
