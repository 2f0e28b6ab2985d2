#include "compressors/text/HtmlBlocks.h"

#include <filesystem>
#include <optional>
#include <system_error>
#include <utility>

#include "compressors/text/CssMinifier.h"
#include "compressors/text/HtmlChars.h"
#include "compressors/text/HtmlTokens.h"
#include "compressors/tools/CompressJS.h"
#include "compressors/tools/Files.h"

namespace {

constexpr std::string_view styleOpen = "<style";
constexpr std::string_view styleClose = "</style>";
constexpr std::string_view scriptOpen = "<script";
constexpr std::string_view scriptClose = "</script>";
constexpr std::string_view fixedStyleTag = "<style type=\"text/css\">";

// The two temporary files of one script element; removed on every way out.
class ScriptTempFiles {
public:
    explicit ScriptTempFiles(const std::string& directory)
        : input(directory + "_temporary.t3mp"), output(directory + "_temporary.7emp")
    {
    }
    ~ScriptTempFiles()
    {
        RemoveFileQuietly(input);
        RemoveFileQuietly(output);
    }
    ScriptTempFiles(const ScriptTempFiles&) = delete;
    ScriptTempFiles& operator=(const ScriptTempFiles&) = delete;

    const std::string input;
    const std::string output;
};

bool OnlyHtmlSpaces(std::string_view text)
{
    for (const char c : text)
        if (!IsHtmlSpace(static_cast<unsigned char>(c))) return false;
    return true;
}

bool FileExists(const std::string& path)
{
    std::error_code error;
    return std::filesystem::is_regular_file(path, error);
}

// The element at the scan position: where its opening tag ends (">") and where
// its closing tag begins. When either is missing, the "<" is copied as text
// and the tag is noted as any tag start is, so that its content stays raw.
// (The "<" needs no protection: the "=" joining never looks across it.)
std::optional<std::pair<std::size_t, std::size_t>> FindElement(HtmlScan& scan, HtmlLookahead& closing)
{
    const std::size_t p = scan.position;
    const std::size_t g = scan.nextTagEnd.Find(p + 1);
    const std::size_t e = g == HtmlLookahead::none ? g : closing.Find(g);
    if (e == HtmlLookahead::none) {
        NoteTagStart(scan);
        scan.output.push_back('<');
        scan.position = p + 1;
        return std::nullopt;
    }
    scan.rawTextTag = {};
    return std::pair{g, e};
}

}  // namespace

std::string_view TrimControl(std::string_view text)
{
    std::size_t first = 0;
    std::size_t last = text.size();
    while (first < last && static_cast<unsigned char>(text[first]) <= 32) ++first;
    while (last > first && static_cast<unsigned char>(text[last - 1]) <= 32) --last;
    return text.substr(first, last - first);
}

void CopyStyleBlock(HtmlScan& scan, Level cssLevel)
{
    const std::size_t p = scan.position;
    const auto bounds = FindElement(scan, scan.nextStyleEnd);
    if (!bounds) return;
    const auto [g, e] = *bounds;
    const std::string_view text(scan.text);
    const std::string_view content = text.substr(g + 1, e - g - 1);
    const std::string_view attributes = text.substr(p + styleOpen.size(), g - p - styleOpen.size());
    scan.AppendProtected(OnlyHtmlSpaces(attributes) ? fixedStyleTag : text.substr(p, g + 1 - p));
    if (cssLevel == 0)
        scan.AppendProtected(content);
    else if (cssLevel == 2)
        scan.AppendProtected(MinifyCSSMaximum(content));
    else
        scan.AppendProtected(MinifyCSSBasic(content));
    scan.AppendProtected(styleClose);
    scan.position = e + styleClose.size();
}

void CopyScriptBlock(HtmlScan& scan, const std::string& destinationDirectory, Level jsLevel,
                     const TRunEnvironment& environment)
{
    const std::size_t p = scan.position;
    const auto bounds = FindElement(scan, scan.nextScriptEnd);
    if (!bounds) return;
    const auto [g, e] = *bounds;
    const std::size_t end = e + scriptClose.size();
    const std::string_view element = std::string_view(scan.text).substr(p, end - p);
    if (FileExists(environment.pluginDir + "ESC.wsf"))
        scan.AppendProtected(MinifyScriptBlock(destinationDirectory, element, jsLevel, environment));
    else
        scan.AppendProtected(element);
    scan.position = end;
}

std::string MinifyScriptBlock(const std::string& destinationDirectory, std::string_view element, Level jsLevel,
                              const TRunEnvironment& environment)
{
    const std::size_t g = element.find('>');
    const std::size_t c = element.find(scriptClose, g);
    if (g == std::string_view::npos || c == std::string_view::npos) return std::string(element);
    const std::string_view openingTag = element.substr(0, g + 1);
    const std::string_view body = TrimControl(element.substr(g + 1, c - g - 1));
    const std::string_view closingTag = element.substr(c, scriptClose.size());
    // An empty body (an external script) gives an empty result at every level:
    // no tool to start.
    if (body.empty()) return std::string(openingTag).append(closingTag);

    ScriptTempFiles files(destinationDirectory);
    WriteEntireFile(files.input, body);
    RemoveFileQuietly(files.output);  // a stale result must never be taken for this one
    FileSize originalSize = 0;
    FileSize optimizedSize = 0;
    CompressJS(files.input, files.output, jsLevel, originalSize, optimizedSize, environment);
    if (!FileExists(files.output)) return std::string(element);
    const std::string result = ReadEntireFile(files.output);

    std::string replaced;
    const std::string_view newBody = TrimControl(result);
    replaced.reserve(openingTag.size() + newBody.size() + scriptClose.size());
    replaced.append(openingTag).append(newBody).append(closingTag);
    return replaced;
}
