#pragma once
// Test oracles for the style sheet minifier: a step-by-step rendering of
// level 1, and a check that a regrouped sheet applies the same declarations.

#include <string>
#include <string_view>

// Level 1 written as whole-text replacements; the fast minifier must match
// it byte for byte.
std::string OracleCSSBasic(std::string_view text);

// Empty when every element matched by any one or two of the selectors of
// two sheets gets, for every property family, the same declarations in the
// same order of precedence, whichever of their @media, @supports and @layer
// blocks apply, and other at-rules and kept comments are the same, in the
// same order; otherwise a description of one that differs.
std::string CascadeDifference(std::string_view before, std::string_view after);
