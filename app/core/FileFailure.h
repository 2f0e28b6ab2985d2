#pragma once
// A file of the run that failed: its source as listed and the reason (the
// optimizer's or the plan's message, e.g. "Cannot open file ...", "pngout.exe
// timed out after 600 s"). what() is the reason.

#include <stdexcept>
#include <string>

class TFileFailure : public std::runtime_error {
public:
    TFileFailure(std::string source, const std::string& reason) : std::runtime_error(reason), source_(std::move(source))
    {
    }
    const std::string& Source() const { return source_; }

private:
    std::string source_;
};
