#include "compressors/Optimizers.h"

#include <algorithm>
#include <cctype>
#include <deque>
#include <stdexcept>

#include "compressors/CompressGIF.h"
#include "compressors/text/CssMinifier.h"
#include "compressors/text/HtmlMinifier.h"
#include "compressors/tools/CompressJPEG.h"
#include "compressors/tools/CompressJS.h"
#include "compressors/tools/CompressPNG.h"
#include "compressors/tools/CompressSVG.h"
#include "compressors/tools/ScriptHostStart.h"
#include "compressors/base/Files.h"
#include "compressors/base/PlainCopy.h"
#include "compressors/base/SourceBytes.h"
#include "compressors/base/SourceGuard.h"

namespace {

const std::vector<std::string> kTextEntries = {"0- No compression", "1- Comment+Space removal",
                                               "2- Maximum compression"};

std::string StyleSheet(std::string_view bytes, const TInProcessCall& call)
{
    return MinifyCSS(bytes, TCssOptions{call.level});
}

std::string Page(std::string_view bytes, const TInProcessCall& call)
{
    HtmlLevels levels = PageLevels(call.level, call.levels.Of("js"), call.levels.Of("css"));
    levels.shortfall = call.shortfall;
    return MinifyHTML(bytes, levels, call.destinationDirectory, call.environment, call.sourceDirectory);
}

std::string Animation(std::string_view bytes, const TInProcessCall& call)
{
    return OptimizeGIF(bytes, TGIFOptions{call.level, call.environment.gif});
}

std::deque<TOptimizerRow>& BuiltInRows()
{
    static std::deque<TOptimizerRow> rows = [] {
        std::deque<TOptimizerRow> table;
        TOptimizerRow css;
        css.name = "css";
        css.caption = "CSS";
        css.extensions = {".css"};
        css.entries = kTextEntries;
        css.defaultEntry = 2;
        css.commandLineDefault = 2;
        css.commandLineHelp =
            "1 drops comments and spaces (strings, url() and /*! */ stay);\n"
            "2* also regroups the rules where no rule in between sets the\n"
            "same property. Lossy at an edge: an old browser that rejects\n"
            "one selector of a grouped list (:has()) drops the whole list\n";
        css.lossyLevels = {2};
        css.inProcess = &StyleSheet;
        css.iconColour = 0x264DE4;
        table.push_back(css);

        TOptimizerRow js;
        js.name = "js";
        js.caption = "JS";
        js.extensions = {".js"};
        js.entries = {"0- No compression", "1- Comment removal", "2- Whitespace removal", "3- Newline removal",
                      "4- Variable substitution"};
        js.defaultEntry = 3;
        js.commandLineDefault = 3;
        js.commandLineHelp =
            "1 drops comments, 2 also whitespace, 3* also line breaks, 4 also\n"
            "shortens local names and syntax\n";
        js.plugin = &CompressJS;
        js.pluginFile = "ESC.wsf";
        js.startEarly = &StartScriptHost;
        js.filesName = "Script";
        js.iconColour = 0xE0B000;
        table.push_back(js);

        TOptimizerRow html;
        html.name = "html";
        html.caption = "HTML";
        html.extensions = {".htm", ".html"};
        html.entries = kTextEntries;
        html.defaultEntry = 2;
        html.commandLineDefault = 2;
        html.commandLineHelp =
            "1 drops comments and spaces, rewrites tags, never text; 2* also\n"
            "minifies inline styles and scripts at the --css and --js levels.\n"
            "Both lossy: white space styled as written only by a sheet\n"
            "from another site, the site's root or @import still shrinks\n";
        html.lossyLevels = {1, 2};
        html.inProcess = &Page;
        html.alsoUses = {"js", "css"};
        html.iconColour = 0xE34C26;
        table.push_back(html);

        TOptimizerRow gif;
        gif.name = "gif";
        gif.caption = "GIF";
        gif.extensions = {".gif"};
        gif.entries = {"0- No compression", "1- Fast compression", "2- Maximum compression"};
        gif.defaultEntry = 2;
        gif.commandLineDefault = 1;  // the command line keeps every picture as it is
        gif.commandLineHelp =
            "1* same pictures; 2 lossy: colours move to a fixed\n"
            "256-colour palette; frames, delays, loop and transparency stay\n";
        gif.lossyLevels = {2};
        gif.inProcess = &Animation;
        gif.keepSourceWhenNotSmaller = false;
        gif.picture = TImageFormat::GIF;
        gif.iconColour = 0x8A2BE2;
        table.push_back(gif);

        TOptimizerRow jpeg;
        jpeg.name = "jpeg";
        jpeg.caption = "JPEG";
        jpeg.extensions = {".jpg", ".jpeg", ".jpe"};
        jpeg.entries = {"0- No removal",           "1- Comment removal",       "2- Exif section removal",
                        "3- IPTC section removal", "12- Comment+Exif removal", "13- Comment+IPCT removal",
                        "23- Exif+IPCT removal",   "4- Leave pure image"};
        jpeg.defaultEntry = 7;
        jpeg.twoDigitEntries = true;
        jpeg.commandLineDefault = 4;
        jpeg.commandLineHelp =
            "same picture at every level. Drops 1 the comment, 2 Exif,\n"
            "3 IPTC, 12 comment+Exif, 13 comment+IPTC, 23 Exif+IPTC, 4* all\n"
            "but the image; the Exif orientation (alone in a minimal Exif\n"
            "section) and the colour profile stay\n";
        jpeg.plugin = &CompressJPEG;
        jpeg.pluginFile = "jhead.exe";
        jpeg.filesName = "JPEG";
        jpeg.picture = TImageFormat::JPEG;
        jpeg.iconColour = 0x2E8B57;
        table.push_back(jpeg);

        TOptimizerRow png;
        png.name = "png";
        png.caption = "PNG";
        png.extensions = {".png"};
        png.entries = {"0- No recompression", "1- Fast recompression", "2- Normal recompression",
                       "3- Slow recompression", "4- Extreme recompression"};
        png.defaultEntry = 4;
        png.commandLineDefault = 4;
        png.commandLineHelp =
            "1 fast, 2 normal, 3 slow, 4* extreme: same pixels and colours\n";
        png.plugin = &CompressPNG;
        png.pluginFile = "pngout.exe";
        png.filesName = "PNG";
        png.picture = TImageFormat::PNG;
        png.iconColour = 0x1E90FF;
        table.push_back(png);

        TOptimizerRow svg;
        svg.name = "svg";
        svg.caption = "SVG";
        svg.extensions = {".svg"};
        svg.entries = kTextEntries;
        svg.defaultEntry = 0;
        svg.commandLineDefault = 2;
        svg.commandLineHelp =
            "1 drops comments, editors' data and spaces; 2* also styles,\n"
            "colours, defaults and unused definitions (svgo); geometry stays as\n"
            "written. Every level keeps the ids, viewBox, <title> and <desc>\n";
        svg.plugin = &CompressSVG;
        svg.pluginFile = "SVG.wsf";
        svg.filesName = "SVG";
        svg.inWindow = false;
        svg.iconColour = 0xFFB13B;
        table.push_back(svg);
        return table;
    }();
    return rows;
}

// The rows tests added, in the order they were added.
std::vector<const TOptimizerRow*>& AddedRows()
{
    static std::vector<const TOptimizerRow*> rows;
    return rows;
}

char LowerAscii(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string DirectoryOf(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

}  // namespace

Level TLevels::Of(const TOptimizerRow& row) const
{
    const auto found = levels_.find(row.name);
    if (found != levels_.end()) return found->second;
    return row.entries.empty() ? Level(0) : LevelFromEntry(row, row.entries.at(row.defaultEntry));
}

Level TLevels::Of(std::string_view kind) const
{
    const FileKind row = OptimizerNamed(kind);
    if (row) return Of(*row);
    const auto found = levels_.find(kind);
    return found == levels_.end() ? Level(0) : found->second;
}

void TLevels::Set(std::string_view kind, Level level)
{
    levels_.insert_or_assign(std::string(kind), level);
}

std::vector<FileKind> Optimizers()
{
    std::vector<FileKind> rows;
    for (const TOptimizerRow& row : BuiltInRows()) rows.push_back(&row);
    for (const TOptimizerRow* row : AddedRows()) rows.push_back(row);
    return rows;
}

FileKind OptimizerNamed(std::string_view name)
{
    for (const FileKind row : Optimizers())
        if (row->name == name) return row;
    return nullptr;
}

FileKind OptimizerForExtension(std::string_view extension, LetterCase letterCase)
{
    std::string key(extension);
    if (letterCase == LetterCase::Any) std::transform(key.begin(), key.end(), key.begin(), LowerAscii);
    if (key.empty()) return nullptr;
    for (const FileKind row : Optimizers())
        if (std::find(row->extensions.begin(), row->extensions.end(), key) != row->extensions.end()) return row;
    return nullptr;
}

std::string_view KindName(FileKind kind)
{
    return kind ? std::string_view(kind->name) : std::string_view("other");
}

Level LevelFromEntry(const TOptimizerRow& row, const std::string& text)
{
    const auto digit = [&text](std::size_t index) {
        if (index >= text.size() || !std::isdigit(static_cast<unsigned char>(text[index])))
            throw std::runtime_error("\"" + text + "\" is not a valid level");
        return text[index] - '0';
    };
    const int first = digit(0);
    if (!row.twoDigitEntries || (text.size() > 1 && text[1] == '-')) return static_cast<Level>(first);
    return static_cast<Level>(first * 10 + digit(1));
}

std::string EntryForLevel(const TOptimizerRow& row, int level)
{
    for (const std::string& entry : row.entries)
        if (LevelFromEntry(row, entry) == level) return entry;
    return {};
}

std::vector<int> RowLevels(const TOptimizerRow& row)
{
    std::vector<int> levels;
    for (const std::string& entry : row.entries) levels.push_back(LevelFromEntry(row, entry));
    std::sort(levels.begin(), levels.end());
    return levels;
}

bool LossyLevel(FileKind kind, int level)
{
    return kind && std::find(kind->lossyLevels.begin(), kind->lossyLevels.end(), level) != kind->lossyLevels.end();
}

HtmlLevels PageLevels(Level html, Level js, Level css)
{
    HtmlLevels levels;
    levels.html = html;
    levels.js = js;
    levels.css = css;
    if (const FileKind styles = OptimizerNamed("css"); styles && styles->inProcess) {
        levels.style = [styles](std::string_view text, Level level) {
            const TLevels none;
            return styles->inProcess(text, TInProcessCall{level, none, DefaultRunEnvironment(), {}, {}});
        };
    }
    if (const FileKind scripts = OptimizerNamed("js")) levels.script = scripts->plugin;
    return levels;
}

void OptimizeInProcess(const TOptimizerRow& row, const std::string& source, const std::string& destination,
                       const TLevels& levels, FileSize& originalSize, FileSize& optimizedSize,
                       const TRunEnvironment& environment, TShortfall* shortfall)
{
    const Level level = levels.Of(row);
    if (level == 0) {
        PlainCopy(source, destination, originalSize, optimizedSize, environment);
        return;
    }
    EnsureNotSource(source, destination);
    SourceBytes bytes(source);
    originalSize = static_cast<FileSize>(static_cast<std::uint32_t>(bytes.View().size()));
    const TInProcessCall call{level, levels, environment, DirectoryOf(source), DirectoryOf(destination), shortfall};
    std::string output = row.inProcess(bytes.View(), call);
    bytes.Check();
    bytes.Release();  // the working text is no longer needed
    optimizedSize = static_cast<FileSize>(static_cast<std::uint32_t>(output.size()));
    WriteEntireFile(destination, output, environment.control.get());
}

TOptimizerRegistration::TOptimizerRegistration(TOptimizerRow row) : row_(std::make_unique<TOptimizerRow>(std::move(row)))
{
    AddedRows().push_back(row_.get());
}

TOptimizerRegistration::~TOptimizerRegistration()
{
    auto& rows = AddedRows();
    rows.erase(std::remove(rows.begin(), rows.end(), row_.get()), rows.end());
}
