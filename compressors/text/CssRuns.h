#pragma once
// Level 2 over a whole level 1 sheet: the flat runs of rules between
// at-rules and kept comments are regrouped one by one, and so are the runs
// inside @media, @supports and @layer blocks. Nothing moves across a run's
// ends, so the order of every declaration relative to anything outside its
// run is the order it had.

#include <string_view>

#include "compressors/text/CssSink.h"

// basic must be a level 1 result; the result, never longer, goes to sink.
// basic goes unchanged when its brackets or braces do not balance (a browser
// would read such a sheet otherwise) or it holds a NUL byte; each run that
// cannot be regrouped, or would not shrink, stays as it is.
void RegroupRuns(std::string_view basic, CssSink& sink);
