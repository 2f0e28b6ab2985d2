#include "HtmlOracle.h"

#include <filesystem>
#include <utility>
#include <vector>

#include "compressors/text/CssMinifier.h"
#include "compressors/text/HtmlBlocks.h"
#include "compressors/text/HtmlChars.h"
#include "compressors/text/TextHelpers.h"

namespace {

struct Oracle {
    std::string text;
    std::size_t n;
    std::string out;
    std::size_t pos = 1;
    const TRunEnvironment& environment;
    std::string pending;                                    // raw-text tag name waiting for its ">"
    std::vector<std::pair<std::size_t, std::size_t>> kept;  // protected spans of out: [first, end)

    void Keep(const std::string& bytes)
    {
        kept.emplace_back(out.size(), out.size() + bytes.size());
        out += bytes;
    }

    // The name after the "<" at pos, up to an HTML space, ">", "/" or the end.
    void NoteTag()
    {
        std::string name;
        for (std::size_t f = pos + 1; f <= n; ++f) {
            const char c = At(f);
            if (IsHtmlSpace(static_cast<unsigned char>(c)) || c == '>' || c == '/') break;
            name += c;
        }
        pending = (name == "script" || name == "style" || name == "textarea") ? name : "";
    }

    void CopyRawText()
    {
        out += '>';
        std::size_t end = n + 1;
        for (std::size_t f = pos + 1; f + 1 + pending.size() <= n && end == n + 1; ++f) {
            std::string candidate = Range(f, f + 1 + pending.size());
            for (char& c : candidate) c = static_cast<char>(LowerAscii(static_cast<unsigned char>(c)));
            if (candidate == "</" + pending) end = f;
        }
        Keep(Range(pos + 1, end - 1));
        pending.clear();
        pos = end;
    }

    char At(std::size_t i) const { return text[i - 1]; }
    bool Sub(std::size_t i, const std::string& literal) const
    {
        return i >= 1 && i - 1 + literal.size() <= n && text.compare(i - 1, literal.size(), literal) == 0;
    }
    std::string Range(std::size_t first, std::size_t last) const  // inclusive, 1-based
    {
        return last < first ? std::string() : text.substr(first - 1, last - first + 1);
    }

    void SkipComment()
    {
        for (std::size_t f = pos + 3; f <= n; ++f)
            if (Sub(f, "-->")) {
                pos = f + 3;
                return;
            }
        pos = n + 1;
    }

    void CopyEndTag()
    {
        const std::size_t e = FindFrom(">", text, pos + 2);
        if (e == 0) {
            pos = n + 1;
            return;
        }
        pending.clear();
        const std::string name = Range(pos + 2, e - 1);
        if (name == "th" || name == "td") {
            pos = e + 1;
            return;
        }
        out += '<';
        pos += 1;
    }

    void CopyTagStart()
    {
        const std::size_t g = FindFrom(">", text, pos + 1);
        std::size_t b = 0;
        for (std::size_t f = pos + 1; f <= n && b == 0; ++f)
            if (IsHtmlSpace(static_cast<unsigned char>(At(f)))) b = f;
        if (g > 0 && b > 0)
            for (std::size_t i = pos + 1; i <= std::min(g, b); ++i)
                text[i - 1] = static_cast<char>(LowerAscii(static_cast<unsigned char>(text[i - 1])));
        NoteTag();
        out += '<';
        pos += 1;
    }

    void CopyPreformatted()
    {
        std::size_t r = pos;
        bool found = false;
        for (std::size_t f = pos + 3; f <= n; ++f) {
            std::string six = Range(f, std::min(n, f + 5));
            for (char& c : six) c = static_cast<char>(LowerAscii(static_cast<unsigned char>(c)));
            if (six == "</pre>") {
                Keep(Range(r, f + 5));
                r = f + 6;
                found = true;
            }
        }
        if (found) {
            pos = r;
        } else {
            Keep(Range(pos, n));
            pos = n + 1;
        }
    }

    void CopyQuoted()
    {
        const std::size_t e = FindFrom("\"", text, pos + 1);
        if (e == 0) {
            out += '"';
            pos += 1;
            return;
        }
        const std::string inner = Range(pos + 1, e - 1);
        if (!inner.empty() && IsAllDigits(inner) && Range(e + 1, e + 1) != "/")
            out += inner;
        else
            out += '"' + inner + '"';
        pos = e + 1;
    }

    void CopyWhitespaceRun()
    {
        out += At(pos);
        for (std::size_t f = pos + 1; f <= n; ++f)
            if (!IsHtmlSpace(static_cast<unsigned char>(At(f)))) {
                pos = f;
                return;
            }
        pos += 1;
    }

    void CopyStyleBlock(Level cssLevel)
    {
        const std::size_t g = FindFrom(">", text, pos + 1);
        const std::size_t e = g == 0 ? 0 : FindFrom("</style>", text, g);
        if (e == 0) {
            NoteTag();
            Keep("<");
            pos += 1;
            return;
        }
        pending.clear();
        const std::string content = Range(g + 1, e - 1);
        bool plain = true;
        for (char c : Range(pos + 6, g - 1)) plain = plain && IsHtmlSpace(static_cast<unsigned char>(c));
        Keep((plain ? std::string("<style type=\"text/css\">") : Range(pos, g)) +
             (cssLevel == 0   ? content
              : cssLevel == 2 ? MinifyCSSMaximum(content)
                              : MinifyCSSBasic(content)) +
             "</style>");
        pos = e + 8;
    }

    void CopyScriptBlock(const std::string& directory, Level jsLevel)
    {
        const std::size_t g = FindFrom(">", text, pos + 1);
        const std::size_t e = g == 0 ? 0 : FindFrom("</script>", text, g);
        if (e == 0) {
            NoteTag();
            Keep("<");
            pos += 1;
            return;
        }
        pending.clear();
        const std::string element = Range(pos, e + 8);
        if (std::filesystem::exists(environment.pluginDir + "ESC.wsf"))
            Keep(MinifyScriptBlock(directory, element, jsLevel, environment));
        else
            Keep(element);
        pos = e + 9;
    }
};

}  // namespace

std::string OracleMinifyHTML(std::string text, const HtmlLevels& levels, const std::string& destinationDirectory,
                             const TRunEnvironment& environment)
{
    Oracle o{std::move(text), 0, {}, 1, environment, {}, {}};
    o.n = o.text.size();
    while (o.pos <= o.n) {
        if (o.Sub(o.pos, "<!--"))
            o.SkipComment();
        else if (levels.html == 2 && o.Sub(o.pos, "<style"))
            o.CopyStyleBlock(levels.css);
        else if (levels.html == 2 && o.Sub(o.pos, "<script"))
            o.CopyScriptBlock(destinationDirectory, levels.js);
        else if (o.Sub(o.pos, "</"))
            o.CopyEndTag();
        else if (o.At(o.pos) == '<')
            o.CopyTagStart();
        else if (o.pos > 1 && o.Sub(o.pos - 1, "<pre"))
            o.CopyPreformatted();
        else if (o.At(o.pos) == '"')
            o.CopyQuoted();
        else if (IsHtmlSpace(static_cast<unsigned char>(o.At(o.pos))))
            o.CopyWhitespaceRun();
        else if (o.At(o.pos) == '>' && !o.pending.empty())
            o.CopyRawText();
        else {
            o.out += o.At(o.pos);
            o.pos += 1;
        }
    }
    // The "=" joining runs on each stretch of output between protected spans.
    std::string result;
    std::size_t from = 0;
    o.kept.emplace_back(o.out.size(), o.out.size());
    for (const auto& [first, end] : o.kept) {
        result += ReplaceAll(ReplaceAll(o.out.substr(from, first - from), " =", "="), "= ", "=");
        result += o.out.substr(first, end - first);
        from = end;
    }
    return result;
}
