#include "CssOracle.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <map>
#include <regex>
#include <set>
#include <vector>

#include "compressors/text/CssVerbatim.h"
#include "compressors/text/TextHelpers.h"

namespace {

// A comment separates tokens: a url( that followed one stays a url( token
// when removing the comment joins it to a name.
using TUrlStarts = std::set<std::size_t>;

std::size_t VerbatimEnd(const std::string& text, std::size_t at, const TUrlStarts& urls)
{
    return urls.count(at) ? at + CssVerbatimEnd(std::string_view(text).substr(at), 0) : CssVerbatimEnd(text, at);
}

// Position of the first "/*" at or after from that is not inside a string,
// a url( or a "/*!" comment; npos when none.
std::size_t FindCommentOutsideVerbatim(const std::string& text, std::size_t from, const TUrlStarts& urls)
{
    for (std::size_t i = from; i + 1 < text.size();) {
        const std::size_t end = VerbatimEnd(text, i, urls);
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
    TUrlStarts urls;
    for (;;) {
        const std::size_t open = FindCommentOutsideVerbatim(text, 0, urls);
        if (open == std::string::npos) break;
        const std::size_t close = text.find("*/", open + 1);
        if (close == std::string::npos) break;
        text = text.substr(0, open) + text.substr(close + 2);
        if (open > 0 && CssNameCharacter(text[open - 1]) &&
            CssVerbatimEnd(std::string_view(text).substr(open), 0) != 0)
            urls.insert(open);
    }
    std::vector<std::string> kept;
    std::string plain;
    for (std::size_t i = 0; i < text.size();) {
        std::size_t end = VerbatimEnd(text, i, urls);
        if (end == i && CssKeptCommentAt(text, i) && text.find("*/", i + 1) != std::string::npos)
            end = text.find("*/", i + 1) + 2;
        // The markers' own bytes stand aside too, closed by \x04: a line break
        // after them is read as after any character.
        const bool marker = end == i && text[i] >= '\x01' && text[i] <= '\x04';
        if (marker) end = i + 1;
        if (end == i) {
            plain += text[i++];
            continue;
        }
        plain += "\x01" + std::to_string(kept.size()) + (marker ? "\x04" : "\x02");
        kept.push_back(text.substr(i, end - i));
        i = end;
    }
    // The first line break after a "}" becomes a carriage return after it.
    text = std::regex_replace(plain, std::regex("\\}([ \\t]*)[\\r\\n]"), "}\x03$1");
    // A run of line breaks alone between two characters that it may keep
    // apart is a space.
    std::string spaced;
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t end = text.find_first_not_of("\r\n", i);
        if (end == i) {
            spaced += text[i++];
            continue;
        }
        const char before = i == 0 ? ' ' : text[i - 1];
        const char after = end == std::string::npos ? ' ' : text[end];
        if (std::string_view(" \t;{}:,/\x02\x03").find(before) == std::string_view::npos &&
            std::string_view(" \t{};").find(after) == std::string_view::npos)
            spaced += ' ';
        else
            spaced += text.substr(i, end == std::string::npos ? std::string::npos : end - i);
        i = end == std::string::npos ? text.size() : end;
    }
    text = ReplaceAll(spaced, "\t", " ");
    text = ReplaceAll(text, "\n", "");
    text = ReplaceAll(text, "\r", "");
    while (text.find("  ") != std::string::npos) text = ReplaceAll(text, "  ", " ");
    text = ReplaceAll(text, ": ", ":");
    text = ReplaceAll(text, ", ", ",");
    text = ReplaceAll(text, " {", "{");
    text = ReplaceAll(text, "\x03", "\r");
    // One pass: a restored piece is never read as a placeholder again.
    std::string restored;
    for (std::size_t i = 0; i < text.size();) {
        if (text[i] != '\x01') {
            restored += text[i++];
            continue;
        }
        const std::size_t close = text.find_first_of("\x02\x04", i);
        restored += kept[std::stoul(text.substr(i + 1, close - i - 1))];
        i = close + 1;
    }
    return restored;
}

namespace {

std::string Trim(std::string_view text)
{
    const std::size_t first = text.find_first_not_of(" \r\n");
    if (first == std::string_view::npos) return {};
    return std::string(text.substr(first, text.find_last_not_of(" \r\n") + 1 - first));
}

// Splits text at sep outside strings, url( tokens and brackets.
std::vector<std::string> SplitOutside(std::string_view text, char sep)
{
    std::vector<std::string> parts;
    std::size_t start = 0;
    int depth = 0;
    for (std::size_t i = 0; i <= text.size();) {
        if (i == text.size() || (text[i] == sep && depth == 0)) {
            parts.push_back(Trim(text.substr(start, i - start)));
            start = ++i;
            continue;
        }
        const std::size_t end = CssVerbatimEnd(text, i);
        if (end != i) {
            i = end;
            continue;
        }
        depth += text[i] == '(' || text[i] == '[';
        if (depth > 0) depth -= text[i] == ')' || text[i] == ']';  // a lone closer opens nothing
        ++i;
    }
    return parts;
}

// A plain family rule, coarser than nothing: the property name without a
// vendor prefix, up to its first "-".
std::string Family(const std::string& declaration)
{
    std::string name = Trim(declaration.substr(0, declaration.find(':')));
    for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (name.starts_with("--")) return name;
    if (name.starts_with("-")) name = name.substr(std::min(name.size(), name.find('-', 1) + 1));
    return name.substr(0, name.find('-'));
}

struct SheetRule {
    std::vector<std::string> selectors;
    std::vector<std::string> declarations;
};

// The rules of a flat level 1 or level 2 sheet; "/*!" comments are skipped.
std::vector<SheetRule> ParseFlat(std::string_view text)
{
    std::vector<SheetRule> rules;
    std::size_t begin = 0;
    std::size_t open = std::string_view::npos;
    for (std::size_t i = 0; i < text.size();) {
        if (CssKeptCommentAt(text, i)) {
            const std::size_t close = text.find("*/", i + 2);
            i = close == std::string_view::npos ? text.size() : close + 2;
            if (open == std::string_view::npos) begin = i;  // a comment inside a rule is part of it
            continue;
        }
        const std::size_t end = CssVerbatimEnd(text, i);
        if (end != i) {
            i = end;
            continue;
        }
        if (text[i] == '{') open = i;
        if (text[i] == '}' && open != std::string_view::npos) {  // a stray closer stays in the next selector
            SheetRule rule{SplitOutside(text.substr(begin, open - begin), ','), {}};
            for (std::string& item : SplitOutside(text.substr(open + 1, i - open - 1), ';'))
                if (!item.empty()) rule.declarations.push_back(item);
            if (!rule.selectors.empty() && !rule.selectors[0].empty()) rules.push_back(rule);
            begin = i + 1;
            open = std::string_view::npos;
        }
        ++i;
    }
    return rules;
}

// Per family, the declarations that apply to an element matched by the
// selectors a and b, in the order of their last occurrence.
std::map<std::string, std::vector<std::string>> Applied(const std::vector<SheetRule>& rules, const std::string& a,
                                                        const std::string& b)
{
    std::map<std::string, std::vector<std::string>> applied;
    for (const SheetRule& rule : rules) {
        if (std::find(rule.selectors.begin(), rule.selectors.end(), a) == rule.selectors.end() &&
            std::find(rule.selectors.begin(), rule.selectors.end(), b) == rule.selectors.end())
            continue;
        for (const std::string& declaration : rule.declarations) {
            std::vector<std::string>& list = applied[Family(declaration)];
            list.erase(std::remove(list.begin(), list.end(), declaration), list.end());
            list.push_back(declaration);
        }
    }
    return applied;
}

}  // namespace

namespace {

std::size_t SkipKept(std::string_view text, std::size_t at)
{
    if (!CssKeptCommentAt(text, at)) return CssVerbatimEnd(text, at);
    const std::size_t close = text.find("*/", at + 3);
    return close == std::string_view::npos ? text.size() : close + 2;
}

// The sheet as a browser applies it when the at-rule blocks whose bit is set
// in active hold: their rules are inlined, other blocks dropped. Whatever
// else an at-rule or kept comment is goes, in order, to kept.
std::string Flatten(std::string_view text, std::uint64_t active, int& block, std::vector<std::string>& kept)
{
    std::string flat;
    bool ruleStart = true;
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t verbatim = ruleStart ? CssVerbatimEnd(text, i) : SkipKept(text, i);
        if (verbatim != i) {
            flat += text.substr(i, verbatim - i);
            i = verbatim;
            ruleStart = false;
            continue;
        }
        if (ruleStart && CssKeptCommentAt(text, i)) {
            const std::size_t close = text.find("*/", i + 3);
            const std::size_t end = close == std::string_view::npos ? text.size() : close + 2;
            kept.emplace_back(text.substr(i, end - i));
            i = end;
            continue;
        }
        if (ruleStart && text[i] == '@') {
            std::size_t stop = i;
            while (stop < text.size() && text[stop] != '{' && text[stop] != ';')
                stop = std::max(SkipKept(text, stop), stop + 1);
            if (stop >= text.size() || text[stop] == ';') {
                const std::size_t end = std::min(text.size(), stop + 1);
                kept.emplace_back(text.substr(i, end - i));
                i = end;
                continue;
            }
            std::size_t end = stop;
            int depth = 0;
            while (end < text.size()) {
                const std::size_t skip = SkipKept(text, end);
                if (skip != end) {
                    end = skip;
                    continue;
                }
                depth += text[end] == '{' ? 1 : text[end] == '}' ? -1 : 0;
                if (++end, depth == 0) break;
            }
            const std::string prelude = Trim(text.substr(i, stop - i));
            // The at-keyword: name characters, escapes and non-ASCII bytes.
            std::string name = "@";
            for (std::size_t k = 1; k < prelude.size(); ++k) {
                if (!CssNameCharacter(prelude[k])) break;
                name += static_cast<char>(std::tolower(static_cast<unsigned char>(prelude[k])));
            }
            const int index = block++;
            if (name != "@media" && name != "@supports" && name != "@layer") {
                kept.emplace_back(text.substr(i, end - i));
            } else {
                kept.push_back(prelude);
                const std::size_t innerEnd = depth == 0 ? end - 1 : end;  // before the "}" if there is one
                std::string inner = Flatten(text.substr(stop + 1, innerEnd - stop - 1), active, block, kept);
                // A rule left unfinished at the end of a block is dropped with it.
                std::size_t lastClose = std::string::npos;
                for (std::size_t k = 0; k < inner.size();) {
                    const std::size_t skip = SkipKept(inner, k);
                    if (skip != k) {
                        k = skip;
                        continue;
                    }
                    if (inner[k] == '}') lastClose = k;
                    ++k;
                }
                inner.resize(lastClose == std::string::npos ? 0 : lastClose + 1);
                if (index >= 64 || (active >> index & 1)) flat += inner;
            }
            i = end;
            continue;
        }
        const char c = text[i++];
        flat += c;
        ruleStart = c == '}' || (ruleStart && (c == ' ' || c == '\r'));
    }
    return flat;
}

}  // namespace

std::string CascadeDifference(std::string_view before, std::string_view after)
{
    if (before == after) return {};
    int blocks = 0;
    std::vector<std::string> keptBefore, keptAfter;
    Flatten(before, ~0ull, blocks, keptBefore);
    blocks = 0;
    Flatten(after, ~0ull, blocks, keptAfter);
    if (keptBefore != keptAfter) return "at-rules or kept comments differ";
    // Every choice of active blocks, the first six of them at most.
    for (std::uint64_t active = 0; active < (1ull << std::min(blocks, 6)); ++active) {
        const std::uint64_t mask = active | (~0ull << std::min(blocks, 6));
        int b = 0;
        std::vector<std::string> unused;
        const std::vector<SheetRule> original = ParseFlat(Flatten(before, mask, b, unused));
        b = 0;
        const std::vector<SheetRule> rewritten = ParseFlat(Flatten(after, mask, b, unused));
        std::set<std::string> selectors;
        for (const SheetRule& rule : original) selectors.insert(rule.selectors.begin(), rule.selectors.end());
        for (const SheetRule& rule : rewritten) selectors.insert(rule.selectors.begin(), rule.selectors.end());
        for (auto a = selectors.begin(); a != selectors.end(); ++a) {
            for (auto b2 = a; b2 != selectors.end(); ++b2) {
                if (Applied(original, *a, *b2) != Applied(rewritten, *a, *b2))
                    return "element matching " + *a + " and " + *b2;
            }
        }
    }
    return {};
}
