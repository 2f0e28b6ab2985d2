#pragma once
// Style sheet minification as pure text-to-text functions on byte strings.

#include <string>
#include <string_view>

#include "compressors/base/OptimizerTypes.h"

// Level 1: comments removed, tabs and line breaks dropped, space runs
// collapsed, a few separators tightened; a "}" that ended a line in the
// source ends one in the result (a carriage return). Never longer.
std::string MinifyCSSBasic(std::string_view text);

// Level 2: level 1, then rules of one selector merged and selectors sharing
// a declaration grouped wherever that cannot change which declaration wins,
// in each flat run of rules at the top and inside @media, @supports and
// @layer blocks (see CssRuns, CssRegrouper). Runs it cannot regroup safely
// (nesting, unbalanced rules) or that would not shrink stay at level 1.
std::string MinifyCSSMaximum(std::string_view text);

struct TCssOptions {
    Level level = 2;
};

// The style sheet optimizer's text step: level 0 unchanged, 2 MinifyCSSMaximum,
// any other MinifyCSSBasic.
std::string MinifyCSS(std::string_view text, const TCssOptions& options);
