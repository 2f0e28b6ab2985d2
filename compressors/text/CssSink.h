#pragma once
// Where regrouped style sheet text goes: a string or a file.

#include <string>
#include <string_view>

class CssSink {
public:
    virtual ~CssSink() = default;
    virtual void Append(std::string_view text) = 0;
};

class CssStringSink : public CssSink {
public:
    explicit CssStringSink(std::string& target) : target_(target) {}
    void Append(std::string_view text) override { target_.append(text); }

private:
    std::string& target_;
};
