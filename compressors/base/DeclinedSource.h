#pragma once
// A source an optimizer will not take as it is: a damaged image, a script
// the minifier cannot parse or that exceeds its limits. The run writes the
// source unchanged at its destination. A warning leaves the file a success
// whose row says why it was kept; otherwise the file fails (its copy stands).

#include <stdexcept>
#include <string>

class TDeclinedSource : public std::runtime_error {
public:
    // reason: "damaged JPEG (Premature end of JPEG file)", "terser failed: ..."
    TDeclinedSource(const std::string& reason, bool warning) : std::runtime_error(reason), warning_(warning) {}
    bool Warning() const { return warning_; }

private:
    bool warning_;
};
