#pragma once
// Style sheet minification as pure text-to-text functions on byte strings.

#include <string>
#include <string_view>

// Level 1: comments removed, tabs and line breaks dropped, space runs
// collapsed, a few separators tightened, a carriage return after every "}".
std::string MinifyCSSBasic(std::string_view text);

// Level 2: level 1, then declarations shared by several selectors grouped
// and the rest merged per selector, one rule per line. Returns the level 1
// text unchanged for sheets it cannot regroup safely (at-rules, nesting,
// NUL bytes, unbalanced rules) or when regrouping would not be smaller.
std::string MinifyCSSMaximum(std::string_view text);
