#include "HtmlOracle.h"

#include <filesystem>
#include <utility>
#include <vector>

#include "compressors/text/CssMinifier.h"
#include "compressors/text/HtmlBlocks.h"
#include "compressors/text/HtmlChars.h"
#include "compressors/text/HtmlKeptSpace.h"
#include "compressors/text/TextHelpers.h"

namespace {

bool Letter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

std::string Lowered(std::string text)
{
    for (char& c : text) c = static_cast<char>(LowerAscii(static_cast<unsigned char>(c)));
    return text;
}

struct Oracle {
    std::string text;
    std::size_t n;
    std::string out;
    std::size_t pos = 1;
    const TRunEnvironment& environment;
    std::vector<std::pair<std::size_t, std::size_t>> kept;  // 0-based [first, end) spans of kept white space

    char At(std::size_t i) const { return i >= 1 && i <= n ? text[i - 1] : '\0'; }
    bool Space(std::size_t i) const { return i >= 1 && i <= n && IsHtmlSpace(static_cast<unsigned char>(At(i))); }
    bool Sub(std::size_t i, const std::string& literal) const
    {
        return i >= 1 && i - 1 + literal.size() <= n && text.compare(i - 1, literal.size(), literal) == 0;
    }
    std::string Range(std::size_t first, std::size_t last) const  // inclusive, 1-based
    {
        return last < first ? std::string() : text.substr(first - 1, last - first + 1);
    }
    bool Kept(std::size_t i) const
    {
        for (const auto& [first, end] : kept)
            if (i - 1 >= first && i - 1 < end) return true;
        return false;
    }

    // The tag whose "<" is at "from", written out minified, and the position
    // of its ">"; false when the page ends inside it. Emitted as it is read.
    bool Tag(std::size_t from, std::string& written, std::size_t& close) const
    {
        std::size_t i = from + 1;
        const bool end = At(i) == '/';
        written = end ? "</" : "<";
        if (end) ++i;
        for (; i <= n && !Space(i) && At(i) != '/' && At(i) != '>'; ++i)
            written += end ? At(i) : static_cast<char>(LowerAscii(static_cast<unsigned char>(At(i))));
        for (;;) {
            for (; i <= n && (Space(i) || At(i) == '/'); ++i)
                if (!Space(i) || !Space(i - 1)) written += At(i);
            if (i > n) return false;
            if (At(i) == '>') {
                written += '>';
                close = i;
                return true;
            }
            const std::size_t name = i++;
            while (i <= n && !Space(i) && At(i) != '/' && At(i) != '>' && At(i) != '=') ++i;
            written += Range(name, i - 1);
            std::size_t j = i;
            while (Space(j)) ++j;
            if (At(j) != '=' || j > n) continue;
            std::size_t k = j + 1;
            while (Space(k)) ++k;
            if (k > n) return false;
            const char quote = At(k);
            if (quote == '"' || quote == '\'') {
                const std::size_t e = FindFrom(std::string(1, quote), text, k + 1);
                if (e == 0) return false;
                const std::string inner = Range(k + 1, e - 1);
                const bool bare = quote == '"' && !inner.empty() && IsAllDigits(inner) && (At(e + 1) == '>' || Space(e + 1));
                written += bare ? "=" + inner : "=" + std::string(1, quote) + inner + quote;
                i = e + 1;
            } else {
                i = k;
                while (i <= n && !Space(i) && At(i) != '>') ++i;
                written += "=" + Range(k, i - 1);
            }
        }
    }

    // Where the raw text of the named element that starts at "from" ends.
    std::size_t RawEnd(std::size_t from, const std::string& name) const
    {
        if (name == "plaintext") return n + 1;
        for (std::size_t f = from; f + 1 + name.size() <= n; ++f)
            if (Lowered(Range(f, f + 1 + name.size())) == "</" + name) return f;
        return n + 1;
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
        std::string written;
        std::size_t close = 0;
        if (!Letter(At(pos + 2))) {
            const std::size_t e = FindFrom(">", text, pos + 2);
            if (e != 0) out += Range(pos, e);
            pos = e == 0 ? n + 1 : e + 1;
        } else if (!Tag(pos, written, close)) {
            pos = n + 1;
        } else {
            const std::string name = Range(pos + 2, close - 1);
            if (name != "td" && name != "th") out += written;
            pos = close + 1;
        }
    }

    void CopyStartTag()
    {
        std::string name;
        for (std::size_t f = pos + 1; f <= n && !Space(f) && At(f) != '/' && At(f) != '>'; ++f) name += At(f);
        name = Lowered(name);
        if (name.rfind("pre", 0) == 0) {
            out += "<" + name;
            const std::size_t from = pos + 1 + name.size();
            std::size_t last = 0;
            for (std::size_t f = pos + 4; f <= n; ++f)
                if (Lowered(Range(f, std::min(n, f + 5))) == "</pre>") last = f;
            out += Range(from, last == 0 ? n : last + 5);
            pos = last == 0 ? n + 1 : last + 6;
            return;
        }
        std::string written;
        std::size_t close = 0;
        if (!Tag(pos, written, close)) {
            out += Range(pos, n);
            pos = n + 1;
            return;
        }
        out += written;
        pos = close + 1;
        if (name == "script" || name == "style" || name == "textarea" || name == "title" || name == "xmp" ||
            name == "plaintext") {
            const std::size_t end = RawEnd(pos, name);
            out += Range(pos, end - 1);
            pos = end;
        }
    }

    void CopyDeclaration()
    {
        const std::size_t e = FindFrom(">", text, pos + 1);
        const std::size_t last = e == 0 ? n : e;
        bool name = true;
        for (std::size_t f = pos; f <= last; ++f) {
            name = name && !Space(f) && At(f) != '>';
            if (name)
                out += static_cast<char>(LowerAscii(static_cast<unsigned char>(At(f))));
            else if (!Space(f) || !Space(f - 1))
                out += At(f);
        }
        pos = last + 1;
    }

    void CopyWhitespaceRun()
    {
        std::size_t f = pos + 1;
        while (Space(f)) ++f;
        if (f > n || f == pos + 1 || Kept(pos))
            out += Range(pos, f - 1);
        else
            out += At(pos);
        pos = f;
    }

    // A block element's opening tag end and closing tag start, or false: the
    // start tag is then copied as any other.
    bool Element(const std::string& closer, std::size_t& tagClose, std::size_t& e)
    {
        std::string written;
        e = Tag(pos, written, tagClose) ? FindFrom(closer, text, tagClose + 1) : 0;
        if (e == 0) CopyStartTag();
        return e != 0;
    }

    void CopyStyleBlock(Level cssLevel)
    {
        std::size_t g = 0;
        std::size_t e = 0;
        if (!Element("</style>", g, e)) return;
        const std::string content = Range(g + 1, e - 1);
        bool plain = true;
        for (char c : Range(pos + 6, g - 1)) plain = plain && IsHtmlSpace(static_cast<unsigned char>(c));
        out += (plain ? std::string("<style type=\"text/css\">") : Range(pos, g)) +
               (cssLevel == 0   ? content
                : cssLevel == 2 ? MinifyCSSMaximum(content)
                                : MinifyCSSBasic(content)) +
               "</style>";
        pos = e + 8;
    }

    void CopyScriptBlock(const std::string& directory, Level jsLevel, THtmlScriptTool tool)
    {
        std::size_t g = 0;
        std::size_t e = 0;
        if (!Element("</script>", g, e)) return;
        const std::string element = Range(pos, e + 8);
        if (tool && std::filesystem::exists(environment.pluginDir + "ESC.wsf"))
            out += MinifyScriptBlock(directory, element, jsLevel, tool, environment);
        else
            out += element;
        pos = e + 9;
    }
};

}  // namespace

std::string OracleMinifyHTML(std::string text, const HtmlLevels& levels, const std::string& destinationDirectory,
                             const TRunEnvironment& environment)
{
    Oracle o{std::move(text), 0, {}, 1, environment, {}};
    o.n = o.text.size();
    o.kept = HtmlKeptSpace(o.text).Spans();
    while (o.pos <= o.n) {
        if (o.Sub(o.pos, "<!--"))
            o.SkipComment();
        else if (levels.html == 2 && o.Sub(o.pos, "<style"))
            o.CopyStyleBlock(levels.css);
        else if (levels.html == 2 && o.Sub(o.pos, "<script"))
            o.CopyScriptBlock(destinationDirectory, levels.js, levels.script);
        else if (o.Sub(o.pos, "</"))
            o.CopyEndTag();
        else if (o.At(o.pos) == '<' && Letter(o.At(o.pos + 1)))
            o.CopyStartTag();
        else if (o.At(o.pos) == '<' && (o.At(o.pos + 1) == '!' || o.At(o.pos + 1) == '?'))
            o.CopyDeclaration();
        else if (o.Space(o.pos))
            o.CopyWhitespaceRun();
        else {
            o.out += o.At(o.pos);
            o.pos += 1;
        }
    }
    return o.out;
}
