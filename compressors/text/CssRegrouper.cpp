#include "compressors/text/CssRegrouper.h"

#include <algorithm>
#include <numeric>

namespace {

bool AllSpaces(std::string_view text)
{
    return text.find_first_not_of(' ') == std::string_view::npos;
}

}  // namespace

CssRegrouper::CssRegrouper(std::string_view basic) : text_(basic), selectors_(basic), declarations_(basic) {}

bool CssRegrouper::Read()
{
    // Offsets are 32-bit; a text that long is left at level 1.
    if (text_.size() >= kNone) return false;
    if (text_.find('@') != std::string_view::npos || text_.find('\0') != std::string_view::npos) return false;

    // Upper bounds: a pair per ";" plus one per rule, a rule per "}".
    const auto closers = static_cast<std::size_t>(std::count(text_.begin(), text_.end(), '}'));
    declarationOf_.reserve(closers + static_cast<std::size_t>(std::count(text_.begin(), text_.end(), ';')));
    ruleStart_.reserve(closers + 1);
    ruleSelector_.reserve(closers);

    // In a level 1 text the only line breaks are the carriage returns that
    // follow each "}", so every line but the last ends with "}".
    const auto size = static_cast<std::uint32_t>(text_.size());
    std::uint32_t begin = 0;
    while (begin < size) {
        const std::size_t cr = text_.find('\r', begin);
        if (cr == std::string_view::npos) {
            if (!AllSpaces(text_.substr(begin))) return false;
            break;
        }
        const auto end = static_cast<std::uint32_t>(cr);
        if (end == begin || text_[end - 1] != '}') return false;
        const std::uint32_t close = end - 1;
        const std::size_t open = text_.find('{', begin);
        if (open == std::string_view::npos || open >= close ||
            text_.substr(open + 1, close - (open + 1)).find('{') != std::string_view::npos)
            return false;
        ReadRule(begin, static_cast<std::uint32_t>(open), close);
        begin = end + 1;
    }
    ruleStart_.push_back(static_cast<std::uint32_t>(declarationOf_.size()));
    BuildLists();
    return true;
}

// The rule text[begin, close] with "{" at open and "}" at close.
void CssRegrouper::ReadRule(std::uint32_t begin, std::uint32_t open, std::uint32_t close)
{
    std::uint32_t selectorBegin = begin;
    std::uint32_t selectorEnd = open;
    if (selectorBegin < selectorEnd && text_[selectorBegin] == ' ') ++selectorBegin;
    if (selectorBegin < selectorEnd && text_[selectorEnd - 1] == ' ') --selectorEnd;
    if (selectorBegin == selectorEnd) return;  // no selector: the rule is dropped
    bool started = false;

    const char* data = text_.data();
    std::uint32_t at = open + 1;
    while (at < close) {
        while (at < close && (data[at] == ' ' || data[at] == '\r' || data[at] == '\n')) ++at;
        const std::uint32_t itemBegin = at;
        char quote = 0;
        for (; at < close; ++at) {
            const char c = data[at];
            if (quote != 0) {
                if (c == quote) quote = 0;
            } else if (c == ';') {
                break;
            } else if (c == '"' || c == '\'') {
                quote = c;
            }
        }
        if (at > itemBegin) {
            if (!started) {
                ruleStart_.push_back(static_cast<std::uint32_t>(declarationOf_.size()));
                ruleSelector_.push_back(selectors_.Intern(selectorBegin, selectorEnd - selectorBegin));
                started = true;
            }
            declarationOf_.push_back(declarations_.Intern(itemBegin, at - itemBegin));
        }
        ++at;  // past the ";"
    }
}

void CssRegrouper::BuildLists()
{
    const std::size_t rules = ruleSelector_.size();
    selectorStart_.assign(selectors_.size() + 1, 0);
    declarationStart_.assign(declarations_.size() + 1, 0);
    declarationSelectorLength_.assign(declarations_.size(), 0);
    for (std::size_t r = 0; r < rules; ++r) {
        const std::uint32_t selector = ruleSelector_[r];
        selectorStart_[selector + 1] += ruleStart_[r + 1] - ruleStart_[r];
        for (std::uint32_t k = ruleStart_[r]; k < ruleStart_[r + 1]; ++k) {
            ++declarationStart_[declarationOf_[k] + 1];
            declarationSelectorLength_[declarationOf_[k]] += selectors_.Length(selector);
        }
    }
    std::partial_sum(selectorStart_.begin(), selectorStart_.end(), selectorStart_.begin());
    std::partial_sum(declarationStart_.begin(), declarationStart_.end(), declarationStart_.begin());

    std::vector<std::uint32_t> nextBySelector(selectorStart_.begin(), selectorStart_.end() - 1);
    std::vector<std::uint32_t> nextByDeclaration(declarationStart_.begin(), declarationStart_.end() - 1);
    bySelector_.resize(declarationOf_.size());
    byDeclaration_.resize(declarationOf_.size());
    for (std::size_t r = 0; r < rules; ++r) {
        const std::uint32_t selector = ruleSelector_[r];
        for (std::uint32_t k = ruleStart_[r]; k < ruleStart_[r + 1]; ++k) {
            const std::uint32_t declaration = declarationOf_[k];
            bySelector_[nextBySelector[selector]++] = {k, declaration};
            byDeclaration_[nextByDeclaration[declaration]++] = {k, selector};
        }
    }
}

// A group of c pairs sharing a declaration of length L pays off at once
// when L * (c - 1) exceeds the length of its selector list plus 3.
bool CssRegrouper::Pays(std::uint32_t declaration) const
{
    const std::uint64_t count = Count(declaration);
    const std::uint64_t listLength = declarationSelectorLength_[declaration] + (count - 1);
    return count >= 2 && declarations_.Length(declaration) * (count - 1) > listLength + 3;
}

// "selector,selector,...{declaration}"
std::uint64_t CssRegrouper::GroupLength(std::uint32_t declaration) const
{
    return declarationSelectorLength_[declaration] + (Count(declaration) - 1) + declarations_.Length(declaration) + 2;
}

void CssRegrouper::MarkGrouped(std::uint32_t declaration)
{
    for (std::uint32_t m = declarationStart_[declaration]; m < declarationStart_[declaration + 1]; ++m)
        grouped_[byDeclaration_[m].pair] = 1;
}

std::uint64_t CssRegrouper::Plan()
{
    grouped_.assign(declarationOf_.size(), 0);
    leaders_.clear();
    std::uint64_t length = 0;
    std::uint64_t rules = 0;

    // Declarations that pay off at once are written whole at their first pair.
    for (std::uint32_t d = 0; d < declarations_.size(); ++d) {
        if (Pays(d)) {
            MarkGrouped(d);
            length += GroupLength(d);
            ++rules;
        }
    }

    // The other shared declarations are written at the first of their pairs
    // whose selector has no earlier pair left unwritten.
    std::vector<std::uint32_t> firstPending(selectorStart_.begin(), selectorStart_.end() - 1);
    for (std::size_t r = 0; r + 1 < ruleStart_.size(); ++r) {
        const std::uint32_t selector = ruleSelector_[r];
        for (std::uint32_t f = ruleStart_[r]; f < ruleStart_[r + 1]; ++f) {
            const std::uint32_t declaration = declarationOf_[f];
            if (grouped_[f] || Count(declaration) < 2) continue;
            std::uint32_t& pending = firstPending[selector];
            while (grouped_[bySelector_[pending].pair]) ++pending;
            if (bySelector_[pending].pair != f) continue;
            leaders_.push_back({f, selector});
            MarkGrouped(declaration);
            length += GroupLength(declaration);
            ++rules;
        }
    }

    // What is left is merged into one rule per selector.
    for (std::uint32_t s = 0; s < selectors_.size(); ++s) {
        std::uint64_t items = 0;
        for (std::uint32_t m = selectorStart_[s]; m < selectorStart_[s + 1]; ++m) {
            if (!grouped_[bySelector_[m].pair]) {
                length += declarations_.Length(bySelector_[m].other) + 1;  // with its "{" or ";"
                ++items;
            }
        }
        if (items != 0) {
            length += selectors_.Length(s) + 1;  // with its "}"
            ++rules;
        }
    }
    return length + (rules != 0 ? rules - 1 : 0);  // a carriage return between rules
}

void CssRegrouper::WriteGroup(CssSink& sink, std::uint32_t declaration, std::uint32_t leadSelector,
                              std::uint32_t leadPair) const
{
    sink.Append(selectors_.View(leadSelector));
    for (std::uint32_t m = declarationStart_[declaration]; m < declarationStart_[declaration + 1]; ++m) {
        if (byDeclaration_[m].pair != leadPair) {
            sink.Append(",");
            sink.Append(selectors_.View(byDeclaration_[m].other));
        }
    }
    sink.Append("{");
    sink.Append(declarations_.View(declaration));
    sink.Append("}");
}

void CssRegrouper::Write(CssSink& sink) const
{
    bool firstRule = true;
    const auto startRule = [&] {
        if (!firstRule) sink.Append("\r");
        firstRule = false;
    };

    // Groups that pay off at once, in the order of their first pairs.
    std::vector<std::uint8_t> done(declarations_.size(), 0);
    for (std::uint32_t declaration : declarationOf_) {
        if (!done[declaration] && Pays(declaration)) {
            done[declaration] = 1;
            const Member& first = byDeclaration_[declarationStart_[declaration]];
            startRule();
            WriteGroup(sink, declaration, first.other, first.pair);
        }
    }

    for (const Member& leader : leaders_) {
        startRule();
        WriteGroup(sink, declarationOf_[leader.pair], leader.other, leader.pair);
    }

    // Each selector's remaining pairs, at the first of them.
    std::vector<std::uint8_t> merged(selectors_.size(), 0);
    for (std::size_t r = 0; r + 1 < ruleStart_.size(); ++r) {
        const std::uint32_t selector = ruleSelector_[r];
        if (merged[selector]) continue;
        bool pending = false;
        for (std::uint32_t k = ruleStart_[r]; k < ruleStart_[r + 1] && !pending; ++k) pending = !grouped_[k];
        if (!pending) continue;
        merged[selector] = 1;
        startRule();
        sink.Append(selectors_.View(selector));
        char separator = '{';
        for (std::uint32_t m = selectorStart_[selector]; m < selectorStart_[selector + 1]; ++m) {
            if (!grouped_[bySelector_[m].pair]) {
                sink.Append(std::string_view(&separator, 1));
                sink.Append(declarations_.View(bySelector_[m].other));
                separator = ';';
            }
        }
        sink.Append("}");
    }
}
