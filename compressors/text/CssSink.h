#pragma once
// Where regrouped style sheet text goes: a string, a file, or only a count.

#include <cstdint>
#include <string>
#include <string_view>

class CssSink {
public:
    virtual ~CssSink() = default;
    virtual void Append(std::string_view text) = 0;
};

class CssCountingSink : public CssSink {
public:
    void Append(std::string_view text) override { length_ += text.size(); }
    std::uint64_t length() const { return length_; }

private:
    std::uint64_t length_ = 0;
};

class CssStringSink : public CssSink {
public:
    explicit CssStringSink(std::string& target) : target_(target) {}
    void Append(std::string_view text) override { target_.append(text); }

private:
    std::string& target_;
};
