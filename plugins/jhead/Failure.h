#pragma once
// A reason to end with exit status 1: one line, printed after "jhead.exe: ".

#include <stdexcept>

namespace jhead {

struct Failure : std::runtime_error {
    using std::runtime_error::runtime_error;
};

}  // namespace jhead
