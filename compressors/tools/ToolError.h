#pragma once
// A plug-in that failed: it could not be started, it ended with a status
// other than 0 or by a signal, it ran out of time, or it left no result. The
// message is the reason the run shows for the file.

#include <stdexcept>

class ToolError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};
