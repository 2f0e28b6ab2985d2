#pragma once
// The one exception type of the GIF engine: every error carries one of the
// engine's fixed messages ("Invalid GIF signature", "Premature end of data", ...).
#include <stdexcept>
#include <string>

class GIFException : public std::runtime_error {
public:
    explicit GIFException(const std::string& message) : std::runtime_error(message) {}
};

// A write past the limit set on a memory stream (TMemoryStream::SetLimit):
// the output would not be smaller than what it replaces.
class GIFOutputLimit : public GIFException {
public:
    GIFOutputLimit() : GIFException("Output limit reached") {}
};
