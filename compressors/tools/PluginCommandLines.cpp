#include "compressors/tools/PluginCommandLines.h"

#include "compressors/tools/WindowsArguments.h"

std::string JpegOptionText(Level level)
{
    switch (level) {
    case 1: return "-dc";
    case 2: return "-de";
    case 3: return "-di";
    case 4: return "-purejpg";
    case 12: return "-dc -de";
    case 13: return "-dc -di";
    case 23: return "-de -di";
    default: return "";
    }
}

std::string PngLevelDigit(Level level)
{
    static const char* const digits[] = {"3", "2", "1", "0"};
    return digits[(level < 1 ? 1 : level > 4 ? 4 : level) - 1];
}

std::string ScriptLevelDigit(Level level)
{
    return std::to_string(level < 1 ? 1 : level > 4 ? 4 : level);
}

std::string SvgLevelDigit(Level level)
{
    return std::to_string(level < 1 ? 1 : level > 2 ? 2 : level);
}

std::string JpegCommandLine(const std::string& pluginDir, const std::string& destination, Level level)
{
    return pluginDir + kJpegPlugin + " " + JpegOptionText(level) + " " + QuoteArgument(destination);
}

std::string PngCommandLine(const std::string& pluginDir, const std::string& source, const std::string& destination,
                           Level level)
{
    return pluginDir + kPngPlugin + " /y /q /s" + PngLevelDigit(level) + " " + QuoteArgument(source) + " " +
           QuoteArgument(destination);
}

std::string ScriptCommandLine(const std::string& pluginDir, const std::string& source, const std::string& destination,
                              Level level)
{
    return "cscript //Nologo " + QuoteArgument(pluginDir + kScriptPlugin) + " -l " + ScriptLevelDigit(level) + " -ow " +
           QuoteArgument(destination) + " " + QuoteArgument(source);
}

std::string SvgCommandLine(const std::string& pluginDir, const std::string& source, const std::string& destination,
                           Level level)
{
    return "cscript //Nologo " + QuoteArgument(pluginDir + kSvgPlugin) + " -l " + SvgLevelDigit(level) + " -ow " +
           QuoteArgument(destination) + " " + QuoteArgument(source);
}
