#include "compressors/text/HtmlBlocks.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <optional>
#include <system_error>
#include <utility>

#include "compressors/text/HtmlChars.h"
#include "compressors/text/HtmlTag.h"
#include "compressors/text/HtmlTokens.h"
#include "compressors/text/ScriptType.h"
#include "compressors/base/DeclinedSource.h"
#include "compressors/base/FileErrors.h"
#include "compressors/base/Files.h"
#include "compressors/tools/ToolError.h"

namespace {

constexpr std::string_view styleOpen = "<style";
constexpr std::string_view styleClose = "</style>";
constexpr std::string_view scriptClose = "</script>";
constexpr std::string_view fixedStyleTag = "<style type=\"text/css\">";

// The two temporary files of one script element, "_temporary.<unique>.t3mp"
// (the body) and "_temporary.<unique>.7emp" (the tool's result), both created
// exclusively so that no other run's files are taken; registered with the
// run's control and removed on every way out.
class ScriptTempFiles {
public:
    ScriptTempFiles(const std::string& directory, TRunControl* control) : control_(control)
    {
        for (int attempt = 1;; ++attempt) {
            inputFile_ =
                CreateUniqueFile(directory, "_temporary.", ".t3mp", control, directory + "_temporary.t3mp", input_);
            const std::string stem = input_.substr(0, input_.size() - 5);
            output_ = stem + ".7emp";
            auto create = [this] { return ::open(output_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666); };
            FileDescriptor output(control ? control->CreateTemporaryFile(output_, create) : create());
            if (output.valid()) return;
            const int error = errno;
            output_.clear();
            Remove(input_);
            if (error != EEXIST || attempt == kNameAttempts) throw CannotCreateFile(stem + ".7emp", error);
        }
    }
    ~ScriptTempFiles()
    {
        inputFile_.Close();
        Remove(input_);
        if (!output_.empty()) Remove(output_);
    }
    ScriptTempFiles(const ScriptTempFiles&) = delete;
    ScriptTempFiles& operator=(const ScriptTempFiles&) = delete;

    // Writes the body into the input file and closes it.
    void WriteInput(std::string_view body)
    {
        for (std::size_t done = 0; done < body.size();) {
            const ssize_t written = ::write(inputFile_.get(), body.data() + done, body.size() - done);
            if (written < 0 && errno == EINTR) continue;
            if (written < 0) throw CannotCreateFile(input_, errno);
            done += static_cast<std::size_t>(written);
        }
        if (inputFile_.Close() != 0) throw CannotCreateFile(input_, errno);
    }

    const std::string& Input() const { return input_; }
    const std::string& Output() const { return output_; }

private:
    static constexpr int kNameAttempts = 100;

    void Remove(const std::string& path) noexcept
    {
        if (control_)
            control_->RemoveTemporaryFile(path);
        else
            RemoveFileQuietly(path);
    }

    TRunControl* control_;
    FileDescriptor inputFile_;
    std::string input_;
    std::string output_;
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

// The element at the scan position: where its opening tag ends (past ">")
// and where its closing tag begins. When either is missing, the element is
// copied as any start tag is, its content as raw text.
std::optional<std::pair<std::size_t, std::size_t>> FindElement(HtmlScan& scan, HtmlLookahead& closing)
{
    const std::size_t end = ReadTag(scan.text, scan.position).end;
    const std::size_t e = end == HtmlTag::none ? end : closing.Find(end);
    if (e == HtmlLookahead::none) {
        CopyStartTag(scan);
        return std::nullopt;
    }
    return std::pair{end, e};
}

struct TScriptParts {
    std::string_view openingTag, body, closingTag;  // body trimmed
};

// The parts of a closed JavaScript element; none for a script of data.
std::optional<TScriptParts> ScriptParts(std::string_view element)
{
    const std::size_t tagEnd = element.size() > 1 && StartsTag(element, 0) ? ReadTag(element, 0).end : HtmlTag::none;
    const std::size_t c = tagEnd == HtmlTag::none ? tagEnd : element.find(scriptClose, tagEnd);
    if (c == std::string_view::npos) return std::nullopt;
    const std::string_view openingTag = element.substr(0, tagEnd);
    if (!IsJavaScriptElement(openingTag)) return std::nullopt;
    return TScriptParts{openingTag, TrimControl(element.substr(tagEnd, c - tagEnd)), element.substr(c, scriptClose.size())};
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

void CopyStyleBlock(HtmlScan& scan, const THtmlStyleMinifier& style, Level cssLevel)
{
    const std::size_t p = scan.position;
    const auto bounds = FindElement(scan, scan.nextStyleEnd);
    if (!bounds) return;
    const auto [g, e] = *bounds;  // g is past the opening tag's ">"
    const std::string_view text(scan.text);
    const std::string_view content = text.substr(g, e - g);
    const std::string_view attributes = text.substr(p + styleOpen.size(), g - 1 - p - styleOpen.size());
    scan.output.append(OnlyHtmlSpaces(attributes) ? fixedStyleTag : text.substr(p, g - p));
    if (cssLevel == 0 || !style)
        scan.output.append(content);
    else
        scan.output.append(style(content, cssLevel));
    scan.output.append(styleClose);
    scan.position = e + styleClose.size();
}

void CopyScriptBlock(HtmlScan& scan, const std::string& destinationDirectory, THtmlScriptTool tool, Level jsLevel,
                     const TRunEnvironment& environment, TShortfall* shortfall)
{
    const std::size_t p = scan.position;
    const auto bounds = FindElement(scan, scan.nextScriptEnd);
    if (!bounds) return;
    const std::size_t end = bounds->second + scriptClose.size();
    const std::string_view element = std::string_view(scan.text).substr(p, end - p);
    scan.position = end;
    if (tool && FileExists(environment.pluginDir + "ESC.wsf")) {
        scan.output.append(MinifyScriptBlock(destinationDirectory, element, jsLevel, tool, environment, shortfall));
        return;
    }
    scan.output.append(element);
    const auto parts = ScriptParts(element);
    if (tool && jsLevel > 0 && shortfall && parts && !parts->body.empty())
        shortfall->Add("script plug-in \"ESC.wsf\" not found");
}

std::string MinifyScriptBlock(const std::string& destinationDirectory, std::string_view element, Level jsLevel,
                              THtmlScriptTool tool, const TRunEnvironment& environment, TShortfall* shortfall)
{
    const auto parts = ScriptParts(element);
    if (!parts) return std::string(element);  // data for the page, or no element: kept as written
    const auto [openingTag, body, closingTag] = *parts;
    // An empty body (an external script) gives an empty result at every level:
    // no tool to start.
    if (body.empty()) return std::string(openingTag).append(closingTag);

    TScriptBlockCache* const cache = environment.scriptBlocks.get();
    std::optional<std::string> newBody = cache ? cache->Find(jsLevel, body) : std::nullopt;
    if (!newBody) {
        ScriptTempFiles files(destinationDirectory, environment.control.get());
        files.WriteInput(body);
        FileSize originalSize = 0;
        FileSize optimizedSize = 0;
        try {
            tool(files.Input(), files.Output(), jsLevel, originalSize, optimizedSize, environment);
        } catch (const ToolError& error) {
            if (shortfall) shortfall->Add(error.what());
            return std::string(element);  // the tool broke: the element as it stands is still right
        } catch (const TDeclinedSource& declined) {
            if (shortfall) shortfall->Add(declined.what());
            return std::string(element);  // the tool declined it: likewise
        }
        newBody = std::string(TrimControl(ReadEntireFile(files.Output())));
        if (cache) cache->Keep(jsLevel, body, *newBody);
    }

    std::string replaced;
    replaced.reserve(openingTag.size() + newBody->size() + scriptClose.size());
    replaced.append(openingTag).append(*newBody).append(closingTag);
    return replaced;
}
