#include "app/cli/JsonRead.h"

#include <cstdint>

namespace {

constexpr int kMaxDepth = 64;

class TParser {
public:
    explicit TParser(std::string_view text) : text_(text) {}

    TJsonValue Document()
    {
        TJsonValue value = Value(0);
        SkipSpace();
        if (at_ != text_.size()) Fail("text after the value");
        return value;
    }

private:
    [[noreturn]] void Fail(const std::string& what) const { throw JsonError(what + " at byte " + std::to_string(at_)); }

    void SkipSpace()
    {
        while (at_ < text_.size() &&
               (text_[at_] == ' ' || text_[at_] == '\n' || text_[at_] == '\r' || text_[at_] == '\t'))
            ++at_;
    }

    bool Take(char c)
    {
        SkipSpace();
        if (at_ < text_.size() && text_[at_] == c) {
            ++at_;
            return true;
        }
        return false;
    }

    void Expect(char c)
    {
        if (!Take(c)) Fail(std::string("expected '") + c + "'");
    }

    bool Word(std::string_view word)
    {
        if (text_.substr(at_, word.size()) != word) return false;
        at_ += word.size();
        return true;
    }

    TJsonValue Value(int depth)
    {
        if (depth > kMaxDepth) Fail("nesting too deep");
        SkipSpace();
        if (at_ >= text_.size()) Fail("missing value");
        TJsonValue value;
        const char c = text_[at_];
        if (c == '{') {
            ++at_;
            value.type = TJsonValue::Type::Object;
            if (Take('}')) return value;
            do {
                SkipSpace();
                std::string name = String();
                Expect(':');
                value.members.emplace_back(std::move(name), Value(depth + 1));
            } while (Take(','));
            Expect('}');
        } else if (c == '[') {
            ++at_;
            value.type = TJsonValue::Type::Array;
            if (Take(']')) return value;
            do value.items.push_back(Value(depth + 1));
            while (Take(','));
            Expect(']');
        } else if (c == '"') {
            value.type = TJsonValue::Type::String;
            value.text = String();
        } else if (Word("true") || Word("false")) {
            value.type = TJsonValue::Type::Boolean;
            value.boolean = c == 't';
        } else if (Word("null")) {
        } else {
            value.type = TJsonValue::Type::Number;
            value.text = Number();
        }
        return value;
    }

    std::string Number()
    {
        const std::size_t begin = at_;
        if (at_ < text_.size() && text_[at_] == '-') ++at_;
        const auto digits = [this] {
            const std::size_t from = at_;
            while (at_ < text_.size() && text_[at_] >= '0' && text_[at_] <= '9') ++at_;
            return at_ > from;
        };
        if (!digits()) Fail("invalid value");
        if (at_ < text_.size() && text_[at_] == '.' && (++at_, !digits())) Fail("invalid number");
        if (at_ < text_.size() && (text_[at_] == 'e' || text_[at_] == 'E')) {
            ++at_;
            if (at_ < text_.size() && (text_[at_] == '+' || text_[at_] == '-')) ++at_;
            if (!digits()) Fail("invalid number");
        }
        return std::string(text_.substr(begin, at_ - begin));
    }

    unsigned Hex4()
    {
        if (at_ + 4 > text_.size()) Fail("short \\u escape");
        unsigned value = 0;
        for (int i = 0; i < 4; ++i) {
            const char c = text_[at_++];
            const int digit = c >= '0' && c <= '9'   ? c - '0'
                              : c >= 'a' && c <= 'f' ? c - 'a' + 10
                              : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                                     : -1;
            if (digit < 0) Fail("invalid \\u escape");
            value = value * 16 + static_cast<unsigned>(digit);
        }
        return value;
    }

    static void AppendUtf8(std::string& out, std::uint32_t code)
    {
        if (code < 0x80) {
            out += static_cast<char>(code);
        } else if (code < 0x800) {
            out += static_cast<char>(0xc0 | (code >> 6));
            out += static_cast<char>(0x80 | (code & 0x3f));
        } else if (code < 0x10000) {
            out += static_cast<char>(0xe0 | (code >> 12));
            out += static_cast<char>(0x80 | ((code >> 6) & 0x3f));
            out += static_cast<char>(0x80 | (code & 0x3f));
        } else {
            out += static_cast<char>(0xf0 | (code >> 18));
            out += static_cast<char>(0x80 | ((code >> 12) & 0x3f));
            out += static_cast<char>(0x80 | ((code >> 6) & 0x3f));
            out += static_cast<char>(0x80 | (code & 0x3f));
        }
    }

    std::string String()
    {
        if (at_ >= text_.size() || text_[at_] != '"') Fail("expected a string");
        ++at_;
        std::string out;
        for (;;) {
            if (at_ >= text_.size()) Fail("unterminated string");
            const char c = text_[at_++];
            if (c == '"') return out;
            if (static_cast<unsigned char>(c) < 0x20) Fail("control character in a string");
            if (c != '\\') {
                out += c;
                continue;
            }
            if (at_ >= text_.size()) Fail("unterminated string");
            const char escape = text_[at_++];
            switch (escape) {
            case '"': out += '"'; break;
            case '\\': out += '\\'; break;
            case '/': out += '/'; break;
            case 'b': out += '\b'; break;
            case 'f': out += '\f'; break;
            case 'n': out += '\n'; break;
            case 'r': out += '\r'; break;
            case 't': out += '\t'; break;
            case 'u': Unicode(out); break;
            default: Fail("invalid escape");
            }
        }
    }

    void Unicode(std::string& out)
    {
        const unsigned code = Hex4();
        if (code >= 0xd800 && code < 0xdc00 && text_.substr(at_, 2) == "\\u") {
            const std::size_t back = at_;
            at_ += 2;
            const unsigned low = Hex4();
            if (low >= 0xdc00 && low < 0xe000) {
                AppendUtf8(out, 0x10000 + ((code - 0xd800) << 10) + (low - 0xdc00));
                return;
            }
            at_ = back;
        }
        if (code >= 0xdc80 && code <= 0xdcff) {  // a byte that was not UTF-8
            out += static_cast<char>(code - 0xdc00);
            return;
        }
        if (code >= 0xd800 && code < 0xe000) Fail("lone surrogate");
        AppendUtf8(out, code);
    }

    std::string_view text_;
    std::size_t at_ = 0;
};

}  // namespace

const TJsonValue* TJsonValue::Find(std::string_view name) const
{
    for (const auto& [key, value] : members)
        if (key == name) return &value;
    return nullptr;
}

TJsonValue ParseJson(std::string_view text)
{
    return TParser(text).Document();
}
