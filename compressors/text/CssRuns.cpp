#include "compressors/text/CssRuns.h"

#include <cctype>
#include <vector>

#include "compressors/text/CssRegrouper.h"
#include "compressors/text/CssVerbatim.h"

namespace {

// Past a string, url(...) or "/*!" comment at text[at]; at when none starts there.
std::size_t SkipEnd(std::string_view text, std::size_t at)
{
    if (!CssKeptCommentAt(text, at)) return CssVerbatimEnd(text, at);
    const std::size_t close = text.find("*/", at + 3);
    return close == std::string_view::npos ? text.size() : close + 2;
}

// Braces balance, no "(" or "[" stays open across a "{", "}" or ";", every
// comment is closed, and no style rule holds another block (nested rules read otherwise in older
// browsers; such a sheet stays at level 1).
bool Balanced(std::string_view text)
{
    if (text.find('\0') != std::string_view::npos) return false;
    std::vector<bool> styleRules;  // per open block: a style rule, not an at-rule
    int brackets = 0;
    std::size_t prelude = std::string_view::npos;  // the first character since a "{", "}" or ";"
    for (std::size_t at = 0; at < text.size();) {
        if (prelude == std::string_view::npos && text[at] != ' ' && text[at] != '\r') prelude = at;
        // A comment level 1 left open runs to the end in a browser.
        if (text.substr(at, 2) == "/*" &&
            (!CssKeptCommentAt(text, at) || text.find("*/", at + 3) == std::string_view::npos))
            return false;
        if (const std::size_t end = SkipEnd(text, at); end != at) {
            at = end;
            continue;
        }
        const char c = text[at++];
        brackets += c == '(' || c == '[' ? 1 : c == ')' || c == ']' ? -1 : 0;
        if (brackets < 0 || (brackets != 0 && (c == '{' || c == '}' || c == ';'))) return false;
        if (c == '{') {
            if (!styleRules.empty() && styleRules.back()) return false;
            styleRules.push_back(text[prelude] != '@');
        } else if (c == '}') {
            if (styleRules.empty()) return false;
            styleRules.pop_back();
        }
        if (c == '{' || c == '}' || c == ';') prelude = std::string_view::npos;
    }
    return styleRules.empty() && brackets == 0;
}

// Past the "}" that closes the "{" at text[open], or npos.
std::size_t BlockEnd(std::string_view text, std::size_t open)
{
    int depth = 0;
    for (std::size_t at = open; at < text.size();) {
        if (const std::size_t end = SkipEnd(text, at); end != at) {
            at = end;
            continue;
        }
        const char c = text[at++];
        if (c == '{') ++depth;
        if (c == '}' && --depth == 0) return at;
    }
    return std::string_view::npos;
}

// The first "{" or ";" at or after at, outside strings, or npos.
std::size_t PreludeEnd(std::string_view text, std::size_t at)
{
    while (at < text.size()) {
        if (const std::size_t end = SkipEnd(text, at); end != at) {
            at = end;
            continue;
        }
        if (text[at] == '{' || text[at] == ';') return at;
        ++at;
    }
    return std::string_view::npos;
}

bool HoldsRules(std::string_view name)
{
    std::string lower;
    for (char c : name) lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return lower == "media" || lower == "supports" || lower == "layer";
}

// A regrouped run's line break that ends the text (last) is dropped, as
// level 2 of a flat sheet always did.
void AppendRegrouped(CssSink& out, std::string_view run, bool last)
{
    const bool lineBreak = !run.empty() && run.back() == '\r';
    const std::string_view rules = lineBreak ? run.substr(0, run.size() - 1) : run;
    CssRegrouper regrouper(rules);
    if (!regrouper.Read() || regrouper.Plan() > rules.size()) {
        out.Append(run);
        return;
    }
    regrouper.Write(out);
    if (lineBreak && !last) out.Append("\r");
}

void Regroup(CssSink& out, std::string_view text)
{
    std::size_t runBegin = 0;
    bool itemStart = true;  // only blanks since the last "}" or ";"
    std::size_t at = 0;
    int depth = 0;
    while (at < text.size()) {
        const char c = text[at];
        const bool barrier = depth == 0 && itemStart && (c == '@' || CssKeptCommentAt(text, at));
        if (const std::size_t end = SkipEnd(text, at); !barrier && end != at) {
            at = end;
            itemStart = false;
            continue;
        }
        if (!barrier) {
            depth += c == '{' ? 1 : c == '}' ? -1 : 0;
            itemStart = (c == '}' && depth == 0) || (itemStart && (c == ' ' || c == '\r'));
            ++at;
            continue;
        }
        AppendRegrouped(out, text.substr(runBegin, at - runBegin), false);
        std::size_t end = text.size();
        if (c == '/') {
            end = SkipEnd(text, at);
            out.Append(text.substr(at, end - at));
        } else if (const std::size_t stop = PreludeEnd(text, at); stop != std::string_view::npos) {
            end = text[stop] == ';' ? stop + 1 : BlockEnd(text, stop);
            const bool block = text[stop] == '{' && end != std::string_view::npos;
            if (end == std::string_view::npos) end = text.size();
            std::size_t nameEnd = at + 1;
            while (nameEnd < stop && CssNameCharacter(text[nameEnd])) ++nameEnd;
            if (block && HoldsRules(text.substr(at + 1, nameEnd - at - 1))) {
                out.Append(text.substr(at, stop + 1 - at));
                Regroup(out, text.substr(stop + 1, end - 1 - (stop + 1)));
                out.Append("}");
            } else {
                out.Append(text.substr(at, end - at));
            }
        } else {
            out.Append(text.substr(at));
        }
        if (end < text.size() && text[end] == '\r') out.Append(text.substr(end++, 1));
        at = runBegin = end;
        itemStart = true;
    }
    AppendRegrouped(out, text.substr(runBegin), true);
}

}  // namespace

void RegroupRuns(std::string_view basic, CssSink& sink)
{
    if (Balanced(basic))
        Regroup(sink, basic);
    else
        sink.Append(basic);
}
