#pragma once
// The HTML scanner: one left-to-right pass over a page that drops comments,
// shrinks runs of space characters, lowercases tag names, unquotes quoted
// numbers and drops table-cell end tags; level 2 also minifies style elements
// and sends script elements through the script tool. The content of script,
// style and textarea elements that no block handler takes is kept verbatim,
// as is preformatted text. Outside those kept spans every " =" and then every
// "= " becomes "=".

#include <string>

#include "compressors/OptimizerTypes.h"
#include "compressors/RunEnvironment.h"

struct HtmlLevels {
    Level html = 1;  // 2 adds the style and script elements
    Level js = 0;
    Level css = 0;
};

// Minifies a page. The text is the working text: its tag names are lowercased
// in place. The destination directory (with its trailing "/", or empty) is
// where script elements' temporary files go; the environment's plug-in folder
// and tool runner hooks serve the script tool.
std::string MinifyHTML(std::string& text, const HtmlLevels& levels, const std::string& destinationDirectory,
                       const TRunEnvironment& environment);

// The destination path up to and including its last "/"; empty without one.
std::string DestinationDirectory(const std::string& destination);
