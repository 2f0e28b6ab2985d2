#include "compressors/text/CssRegrouper.h"

#include <algorithm>
#include <cstring>

namespace {

bool AllSpaces(std::string_view text)
{
    return text.find_first_not_of(' ') == std::string_view::npos;
}

}  // namespace

CssRegrouper::CssRegrouper(std::string_view basic)
    : text_(basic), selectors_(basic), declarations_(basic)
{
}

bool CssRegrouper::Read()
{
    // Offsets are 32-bit; a text that long is left at level 1.
    if (text_.size() >= kNone)
        return false;
    if (text_.find('@') != std::string_view::npos || text_.find('\0') != std::string_view::npos)
        return false;

    // Upper bound on the pairs: one per ";" plus one per rule.
    const auto bound = static_cast<std::size_t>(std::count(text_.begin(), text_.end(), ';') +
                                                std::count(text_.begin(), text_.end(), '}'));
    selectorOf_.reserve(bound);
    declarationOf_.reserve(bound);
    nextWithSelector_.reserve(bound);
    nextWithDeclaration_.reserve(bound);

    // In a level 1 text the only line breaks are the carriage returns that
    // follow each "}", so every line but the last ends with "}".
    const auto size = static_cast<std::uint32_t>(text_.size());
    std::uint32_t begin = 0;
    while (begin < size) {
        const std::size_t cr = text_.find('\r', begin);
        if (cr == std::string_view::npos)
            return AllSpaces(text_.substr(begin));
        const auto end = static_cast<std::uint32_t>(cr);   // one past the line's last character
        if (end == begin || text_[end - 1] != '}')
            return false;
        const std::size_t open = text_.find('{', begin);
        const std::uint32_t close = end - 1;
        if (open == std::string_view::npos || open >= close ||
            text_.substr(open + 1, close - (open + 1)).find('{') != std::string_view::npos)
            return false;
        ReadRule(begin, static_cast<std::uint32_t>(open), close);
        begin = end + 1;
    }
    return true;
}

// The rule text[begin, close] with "{" at open and "}" at close.
void CssRegrouper::ReadRule(std::uint32_t begin, std::uint32_t open, std::uint32_t close)
{
    std::uint32_t selectorBegin = begin;
    std::uint32_t selectorEnd = open;
    if (selectorBegin < selectorEnd && text_[selectorBegin] == ' ')
        ++selectorBegin;
    if (selectorBegin < selectorEnd && text_[selectorEnd - 1] == ' ')
        --selectorEnd;
    if (selectorBegin == selectorEnd)
        return;   // no selector: the rule is dropped
    std::uint32_t selector = kNone;

    const char* data = text_.data();
    std::uint32_t at = open + 1;
    while (at < close) {
        while (at < close && (data[at] == ' ' || data[at] == '\r' || data[at] == '\n'))
            ++at;
        const std::uint32_t itemBegin = at;
        char quote = 0;
        for (; at < close; ++at) {
            const char c = data[at];
            if (quote != 0) {
                if (c == quote)
                    quote = 0;
            } else if (c == ';') {
                break;
            } else if (c == '"' || c == '\'') {
                quote = c;
            }
        }
        if (at > itemBegin) {
            if (selector == kNone)
                selector = selectors_.Intern(selectorBegin, selectorEnd - selectorBegin);
            AddPair(selector, itemBegin, at);
        }
        ++at;   // past the ";"
    }
}

void CssRegrouper::AddPair(std::uint32_t selector, std::uint32_t itemBegin, std::uint32_t itemEnd)
{
    const std::uint32_t declaration = declarations_.Intern(itemBegin, itemEnd - itemBegin);
    const auto pair = static_cast<std::uint32_t>(selectorOf_.size());
    selectorOf_.push_back(selector);
    declarationOf_.push_back(declaration);
    nextWithSelector_.push_back(kNone);
    nextWithDeclaration_.push_back(kNone);

    if (selector == selectorHead_.size()) {
        selectorHead_.push_back(pair);
        selectorTail_.push_back(pair);
    } else {
        nextWithSelector_[selectorTail_[selector]] = pair;
        selectorTail_[selector] = pair;
    }
    if (declaration == declarationHead_.size()) {
        declarationHead_.push_back(pair);
        declarationTail_.push_back(pair);
        declarationCount_.push_back(0);
        declarationSelectorLength_.push_back(0);
    } else {
        nextWithDeclaration_[declarationTail_[declaration]] = pair;
        declarationTail_[declaration] = pair;
    }
    ++declarationCount_[declaration];
    declarationSelectorLength_[declaration] += selectors_.Length(selector);
}

// A group of c pairs sharing a declaration of length L pays off at once
// when L * (c - 1) exceeds the length of its selector list plus 3.
bool CssRegrouper::Pays(std::uint32_t declaration) const
{
    const std::uint64_t count = declarationCount_[declaration];
    const std::uint64_t listLength = declarationSelectorLength_[declaration] + (count - 1);
    return count >= 2 && declarations_.Length(declaration) * (count - 1) > listLength + 3;
}

void CssRegrouper::Write(CssSink& sink) const
{
    const std::size_t pairs = selectorOf_.size();
    std::vector<std::uint8_t> written(pairs, 0);
    std::vector<std::uint32_t> firstPending(selectorHead_);
    bool firstRule = true;
    const auto startRule = [&] {
        if (!firstRule)
            sink.Append("\r");
        firstRule = false;
    };
    // Writes every pair of the declaration as one rule, `lead`'s selector first.
    const auto writeGroup = [&](std::uint32_t lead) {
        const std::uint32_t declaration = declarationOf_[lead];
        startRule();
        sink.Append(selectors_.View(selectorOf_[lead]));
        for (std::uint32_t j = declarationHead_[declaration]; j != kNone; j = nextWithDeclaration_[j]) {
            if (j != lead) {
                sink.Append(",");
                sink.Append(selectors_.View(selectorOf_[j]));
            }
            written[j] = 1;
        }
        sink.Append("{");
        sink.Append(declarations_.View(declaration));
        sink.Append("}");
    };

    // Declarations that pay off at once, at their first pair.
    for (std::uint32_t i = 0; i < pairs; ++i)
        if (!written[i] && Pays(declarationOf_[i]))
            writeGroup(i);

    // Other shared declarations, at the first pair whose selector has no
    // earlier pair still unwritten.
    for (std::uint32_t f = 0; f < pairs; ++f) {
        if (written[f] || declarationCount_[declarationOf_[f]] < 2)
            continue;
        std::uint32_t& pending = firstPending[selectorOf_[f]];
        while (written[pending])
            pending = nextWithSelector_[pending];
        if (pending == f)
            writeGroup(f);
    }

    // The rest, merged by selector at its first pair.
    for (std::uint32_t i = 0; i < pairs; ++i) {
        if (written[i])
            continue;
        startRule();
        sink.Append(selectors_.View(selectorOf_[i]));
        sink.Append("{");
        sink.Append(declarations_.View(declarationOf_[i]));
        written[i] = 1;
        for (std::uint32_t j = nextWithSelector_[i]; j != kNone; j = nextWithSelector_[j]) {
            if (!written[j]) {
                sink.Append(";");
                sink.Append(declarations_.View(declarationOf_[j]));
                written[j] = 1;
            }
        }
        sink.Append("}");
    }
}
