#include "CssOracle.h"

#include <vector>

#include "compressors/text/CssVerbatim.h"
#include "compressors/text/TextHelpers.h"

namespace {

// Position of the first "/*" at or after from that is not inside a string,
// a url( or a "/*!" comment; npos when none.
std::size_t FindCommentOutsideVerbatim(const std::string& text, std::size_t from)
{
    for (std::size_t i = from; i + 1 < text.size();) {
        const std::size_t end = CssVerbatimEnd(text, i);
        if (end != i) {
            i = end;
        } else if (text.compare(i, 2, "/*") == 0 && !CssKeptCommentAt(text, i)) {
            return i;
        } else if (CssKeptCommentAt(text, i) && text.find("*/", i + 1) != std::string::npos) {
            i = text.find("*/", i + 1) + 2;
        } else {
            ++i;
        }
    }
    return std::string::npos;
}

}  // namespace

// Comments are removed first; then strings, url( tokens and kept comments
// stand aside as numbered placeholders while the replacements run.
std::string OracleCSSBasic(std::string_view input)
{
    std::string text(input);
    for (;;) {
        const std::size_t open = FindCommentOutsideVerbatim(text, 0);
        if (open == std::string::npos) break;
        const std::size_t close = text.find("*/", open + 1);
        if (close == std::string::npos) break;
        text = text.substr(0, open) + text.substr(close + 2);
    }
    std::vector<std::string> kept;
    std::string plain;
    for (std::size_t i = 0; i < text.size();) {
        std::size_t end = CssVerbatimEnd(text, i);
        if (end == i && CssKeptCommentAt(text, i) && text.find("*/", i + 1) != std::string::npos)
            end = text.find("*/", i + 1) + 2;
        if (end == i) {
            plain += text[i++];
            continue;
        }
        plain += "\x01" + std::to_string(kept.size()) + "\x02";
        kept.push_back(text.substr(i, end - i));
        i = end;
    }
    text = ReplaceAll(plain, "\t", " ");
    text = ReplaceAll(text, "\n", "");
    text = ReplaceAll(text, "\r", "");
    while (text.find("  ") != std::string::npos) text = ReplaceAll(text, "  ", " ");
    text = ReplaceAll(text, ": ", ":");
    text = ReplaceAll(text, ", ", ",");
    text = ReplaceAll(text, " {", "{");
    text = ReplaceAll(text, "}", "}\r");
    for (std::size_t k = kept.size(); k-- > 0;)
        text = ReplaceAll(text, "\x01" + std::to_string(k) + "\x02", kept[k]);
    return text;
}

namespace {

std::vector<std::string> SplitLines(const std::string& text)
{
    std::vector<std::string> lines;
    std::string line;
    std::size_t i = 0;
    for (; i < text.size() && text[i] != '\0'; ++i) {
        if (text[i] == '\r' || text[i] == '\n') {
            if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
            lines.push_back(line);
            line.clear();
        } else {
            line += text[i];
        }
    }
    if (!line.empty()) lines.push_back(line);
    return lines;
}

// Every line that holds more than spaces is one rule "selector{...}".
bool IsFlatSheet(const std::string& text)
{
    if (text.find('@') != std::string::npos || text.find('\0') != std::string::npos) return false;
    for (const std::string& line : SplitLines(text)) {
        if (line.find_first_not_of(' ') == std::string::npos) continue;
        std::size_t opens = 0, closes = 0;
        for (char c : line) {
            opens += c == '{';
            closes += c == '}';
        }
        if (opens != 1 || closes != 1 || line.back() != '}' || line.find('{') > line.find('}')) return false;
    }
    return true;
}

std::vector<std::string> SplitItems(const std::string& text)
{
    std::vector<std::string> items;
    std::size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && (text[i] == ' ' || text[i] == '\r' || text[i] == '\n')) ++i;
        std::string item;
        char quote = 0;
        while (i < text.size() && (quote != 0 || text[i] != ';')) {
            if (quote == 0 && (text[i] == '"' || text[i] == '\''))
                quote = text[i];
            else if (quote != 0 && text[i] == quote)
                quote = 0;
            item += text[i++];
        }
        if (!item.empty()) items.push_back(item);
        ++i;
    }
    return items;
}

std::string Regroup(const std::string& basic)
{
    std::vector<std::string> selectors, declarations;
    for (const std::string& line : SplitLines(basic)) {
        const std::size_t p = line.find('{');
        if (p == std::string::npos) continue;
        const std::size_t q = line.find('}');
        std::string selector = line.substr(0, p);
        const std::string body = q == std::string::npos || q <= p ? "" : line.substr(p + 1, q - p - 1);
        if (!selector.empty() && selector.front() == ' ') selector.erase(0, 1);
        if (!selector.empty() && selector.back() == ' ') selector.pop_back();
        if (selector.empty()) continue;
        for (const std::string& item : SplitItems(body)) {
            selectors.push_back(selector);
            declarations.push_back(item);
        }
    }

    const std::size_t n = selectors.size();
    const auto clear = [&](std::size_t k) { selectors[k].clear(), declarations[k].clear(); };
    std::string out;
    std::vector<std::size_t> deferred;
    for (std::size_t i = 0; i < n; ++i) {
        if (selectors[i].empty()) continue;
        std::string g = selectors[i];
        std::size_t c = 1;
        for (std::size_t j = 0; j < n; ++j)
            if (j != i && declarations[j] == declarations[i]) g += "," + selectors[j], ++c;
        if (c < 2) continue;
        const std::size_t L = declarations[i].size(), S = g.size();
        if (L * c > S + L + 3) {
            out += g + "{" + declarations[i] + "}\r";
            const std::string d = declarations[i];
            for (std::size_t j = 0; j < n; ++j)
                if (j != i && declarations[j] == d) clear(j);
            clear(i);
        } else {
            deferred.push_back(i);
        }
    }
    for (std::size_t f : deferred) {
        bool skip = false;
        for (std::size_t j = 0; j < f; ++j) skip = skip || selectors[j] == selectors[f];
        if (skip) continue;
        out += selectors[f];
        for (std::size_t j = 0; j < n; ++j)
            if (j != f && !selectors[j].empty() && declarations[j] == declarations[f])
                out += "," + selectors[j], clear(j);
        out += "{" + declarations[f] + "}\r";
        clear(f);
    }
    for (std::size_t i = 0; i < n; ++i) {
        if (selectors[i].empty()) continue;
        out += selectors[i] + "{" + declarations[i];
        for (std::size_t j = 0; j < n; ++j)
            if (j != i && selectors[j] == selectors[i]) out += ";" + declarations[j], clear(j);
        out += "}\r";
    }
    if (!out.empty() && out.back() == '\r') out.pop_back();
    return out;
}

}  // namespace

std::string OracleCSSMaximum(std::string_view text)
{
    const std::string basic = OracleCSSBasic(text);
    if (!IsFlatSheet(basic)) return basic;
    std::string regrouped = Regroup(basic);
    return regrouped.size() > basic.size() ? basic : regrouped;
}
