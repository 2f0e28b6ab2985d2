#include "compressors/text/CssRegrouper.h"

#include <algorithm>
#include <string>
#include <unordered_map>
#include <unordered_set>

#include "compressors/text/CssPropertyFamily.h"
#include "compressors/text/CssVerbatim.h"

namespace {

// The latest rules that hold a declaration of one family: the latest of
// all (holding text) and the latest holding a different text.
struct LatestRules {
    std::int64_t latest = -1;
    std::uint32_t text = 0xFFFFFFFFu;
    std::int64_t latestOther = -1;

    // The latest rule holding a declaration of this family other than text.
    std::int64_t Conflicting(std::uint32_t declaration) const { return declaration != text ? latest : latestOther; }

    void Add(std::int64_t rule, std::uint32_t declaration)
    {
        if (declaration == text) {
            latest = std::max(latest, rule);
        } else if (rule > latest) {
            latestOther = latest;
            latest = rule;
            text = declaration;
        } else {
            latestOther = std::max(latestOther, rule);
        }
    }
};

std::uint64_t Listing(std::uint32_t rule, std::uint32_t selector)
{
    return static_cast<std::uint64_t>(rule) << 32 | selector;
}

// A selector that some browsers reject (a vendor pseudo-class), or that no
// browser reads as one selector (unbalanced brackets or quotes, bytes no
// selector holds, an empty item in its list); a rule that lists it with
// others would be dropped whole or read otherwise.
bool Risky(std::string_view selector)
{
    if (selector.find(":-") != std::string_view::npos) return true;
    int round = 0, square = 0;
    bool emptyItem = true;  // nothing but blanks since the start or the last top-level comma
    for (std::size_t i = 0; i < selector.size(); ++i) {
        const auto c = static_cast<unsigned char>(selector[i]);
        if (c == ',' && round == 0 && square == 0) {
            if (emptyItem) return true;
            emptyItem = true;
            continue;
        }
        if (c != ' ') emptyItem = false;
        if (c == '"' || c == '\'') {
            i = selector.find(static_cast<char>(c), i + 1);
            if (i == std::string_view::npos) return true;
            continue;
        }
        if (c < 0x20 || c == 0x7F || std::string_view(";{}!@/<?&`").find(static_cast<char>(c)) != std::string_view::npos)
            return true;
        round += c == '(' ? 1 : c == ')' ? -1 : 0;
        square += c == '[' ? 1 : c == ']' ? -1 : 0;
        if (round < 0 || square < 0) return true;
    }
    return round != 0 || square != 0 || emptyItem;
}

}  // namespace

CssRegrouper::CssRegrouper(std::string_view basic) : text_(basic), selectors_(basic), declarations_(basic) {}

bool CssRegrouper::Read()
{
    // Offsets are 32-bit; a text that long is left at level 1.
    if (text_.size() >= kNone || text_.find('\0') != std::string_view::npos) return false;
    const auto size = static_cast<std::uint32_t>(text_.size());

    std::uint32_t at = 0;
    for (;;) {
        std::uint32_t next = at;
        while (next < size && text_[next] == ' ') ++next;
        if (!CssKeptCommentAt(text_, next)) break;
        const std::size_t close = text_.find("*/", next + 2);
        if (close == std::string_view::npos) return false;
        at = static_cast<std::uint32_t>(close + 2);
    }
    header_ = text_.substr(0, at);

    // In a level 1 text the only line breaks outside strings are single
    // carriage returns right after a "}" that closes a rule.
    // Brackets left open across a "{", "}" or ";" make a browser read the
    // rest of the sheet otherwise: such a sheet stays at level 1.
    std::uint32_t begin = at;
    std::uint32_t open = kNone;
    int depth = 0;
    while (at < size) {
        const std::size_t end = CssVerbatimEnd(text_, at);
        if (end != at) {
            at = static_cast<std::uint32_t>(end);
            continue;
        }
        const char c = text_[at];
        if (c == '@' || (c == '/' && at + 1 < size && text_[at + 1] == '*')) return false;
        depth += c == '(' || c == '[' ? 1 : c == ')' || c == ']' ? -1 : 0;
        if (depth < 0 || (depth != 0 && (c == '{' || c == '}' || c == ';'))) return false;
        if (c == '{') {
            if (open != kNone) return false;
            open = at;
        } else if (c == '}') {
            if (open == kNone) return false;
            ReadRule(begin, open, at);
            open = kNone;
            if (at + 1 < size && text_[at + 1] == '\r') {
                lineBreaks_ = true;
                ++at;
            }
            begin = at + 1;
        }
        ++at;
    }
    return open == kNone && text_.substr(begin).find_first_not_of(' ') == std::string_view::npos;
}

// The rule text[begin, close] with "{" at open and "}" at close.
bool CssRegrouper::ReadRule(std::uint32_t begin, std::uint32_t open, std::uint32_t close)
{
    std::uint32_t selectorBegin = begin;
    std::uint32_t selectorEnd = open;
    if (selectorBegin < selectorEnd && text_[selectorBegin] == ' ') ++selectorBegin;
    if (selectorBegin < selectorEnd && text_[selectorEnd - 1] == ' ') --selectorEnd;
    if (selectorBegin == selectorEnd) return false;  // no selector: the rule is dropped
    const std::uint32_t selector = selectors_.Intern(selectorBegin, selectorEnd - selectorBegin);

    std::uint32_t at = open + 1;
    while (at < close) {
        while (at < close && text_[at] == ' ') ++at;
        const std::uint32_t itemBegin = at;
        while (at < close && text_[at] != ';') {
            const std::size_t end = CssVerbatimEnd(text_, at);
            at = end != at ? static_cast<std::uint32_t>(std::min<std::size_t>(end, close)) : at + 1;
        }
        if (at > itemBegin) pairs_.push_back({selector, declarations_.Intern(itemBegin, at - itemBegin)});
        ++at;  // past the ";"
    }
    return true;
}

std::uint64_t CssRegrouper::Plan()
{
    rules_.clear();
    std::unordered_map<std::string, std::uint32_t> familyIds;
    std::vector<std::uint32_t> familyOf(declarations_.size());
    for (std::uint32_t d = 0; d < declarations_.size(); ++d)
        familyOf[d] = familyIds.try_emplace(CssPropertyFamily(declarations_.View(d)), familyIds.size()).first->second;
    const auto wildcard = familyIds.try_emplace("*", familyIds.size()).first->second;
    std::vector<LatestRules> byFamily(familyIds.size());
    LatestRules anyFamily;

    std::vector<std::uint32_t> selectorRule(selectors_.size(), kNone);     // latest rule of it alone
    std::vector<std::uint32_t> declarationRule(declarations_.size(), kNone);  // likewise
    std::vector<std::uint8_t> riskyRule;
    std::unordered_set<std::uint64_t> listed;  // Listing(rule, selector) for each selector of a rule

    for (const Pair& pair : pairs_) {
        const std::uint32_t family = familyOf[pair.declaration];
        const std::int64_t earliest =
            family == wildcard ? anyFamily.Conflicting(pair.declaration)
                               : std::max(byFamily[family].Conflicting(pair.declaration),
                                          byFamily[wildcard].Conflicting(pair.declaration));
        const std::uint64_t selectorLength = selectors_.Length(pair.selector);
        const std::uint64_t declarationLength = declarations_.Length(pair.declaration);
        const bool risky = Risky(selectors_.View(pair.selector));

        // Each choice with what it adds to the output.
        std::uint32_t chosen = kNone;
        std::uint64_t cost = selectorLength + declarationLength + 3;
        bool joinsSelector = false;
        if (const std::uint32_t r = selectorRule[pair.selector];
            r != kNone && rules_[r].selectors.size() == 1 && static_cast<std::int64_t>(r) >= earliest &&
            declarationLength + 1 < cost) {
            chosen = r;
            cost = declarationLength + 1;
            joinsSelector = true;
        }
        if (const std::uint32_t r = declarationRule[pair.declaration];
            r != kNone && rules_[r].declarations.size() == 1 && static_cast<std::int64_t>(r) >= earliest) {
            const bool present = listed.contains(Listing(r, pair.selector));
            const std::uint64_t join = present ? 0 : selectorLength + 1;
            if ((present || (!risky && !riskyRule[r])) && join < cost) {
                chosen = r;
                cost = join;
                joinsSelector = false;
            }
        }

        if (chosen == kNone) {
            chosen = static_cast<std::uint32_t>(rules_.size());
            rules_.push_back({{pair.selector}, {pair.declaration}});
            riskyRule.push_back(risky);
            listed.insert(Listing(chosen, pair.selector));
            selectorRule[pair.selector] = chosen;
            declarationRule[pair.declaration] = chosen;
        } else if (joinsSelector) {
            rules_[chosen].declarations.push_back(pair.declaration);
        } else if (cost != 0) {
            rules_[chosen].selectors.push_back(pair.selector);
            listed.insert(Listing(chosen, pair.selector));
        }
        byFamily[family].Add(chosen, pair.declaration);
        anyFamily.Add(chosen, pair.declaration);
    }

    std::uint64_t length = header_.size();
    if (lineBreaks_ && !rules_.empty()) length += rules_.size() - 1;  // carriage returns
    for (const Rule& rule : rules_) {
        length += rule.selectors.size() + rule.declarations.size();  // separators, "{" and "}"
        for (std::uint32_t s : rule.selectors) length += selectors_.Length(s);
        for (std::uint32_t d : rule.declarations) length += declarations_.Length(d);
    }
    return length;
}

void CssRegrouper::Write(CssSink& sink) const
{
    sink.Append(header_);
    for (std::size_t r = 0; r < rules_.size(); ++r) {
        if (r != 0 && lineBreaks_) sink.Append("\r");
        char separator = 0;
        for (std::uint32_t s : rules_[r].selectors) {
            if (separator != 0) sink.Append(",");
            sink.Append(selectors_.View(s));
            separator = ',';
        }
        separator = '{';
        for (std::uint32_t d : rules_[r].declarations) {
            sink.Append(std::string_view(&separator, 1));
            sink.Append(declarations_.View(d));
            separator = ';';
        }
        sink.Append("}");
    }
}
