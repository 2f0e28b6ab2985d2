#pragma once
// The HTML scanner: one left-to-right pass over a page that drops comments
// and table-cell end tags, shrinks runs of space characters in text (where
// the page does not keep its white space, HtmlKeptSpace.h) and rewrites tags:
// lower-case names, no spaces around "=", quoted numbers unquoted where that
// is safe. Text is never rewritten otherwise: quotes and "=" in it are text.
// Level 2 also minifies style elements and sends script elements through the
// script tool. The content of raw-text elements that no block handler takes
// is kept verbatim, as is preformatted text.

#include <optional>
#include <string>
#include <string_view>

#include "compressors/base/OptimizerTypes.h"
#include "compressors/base/RunEnvironment.h"
#include "compressors/text/PageTools.h"

// The page's level, and the minifiers the optimizer table hands it for its
// style and script elements with their levels. Without a style minifier (or
// at CSS level 0) style content stays as written; without a script tool
// scripts do.
struct HtmlLevels {
    Level html = 1;  // 2 adds the style and script elements
    Level js = 0;
    Level css = 0;
    THtmlStyleMinifier style;
    THtmlScriptTool script = nullptr;
    // Counts the scripts kept as written because the tool was missing or
    // failed on them (none when null).
    TShortfall* shortfall = nullptr;
};

// Minifies a page. The destination directory (with its trailing "/", or empty) is
// where script elements' temporary files go; the environment's plug-in folder
// and tool runner hooks serve the script tool.
// The source's folder (with its trailing "/"), when given, is where the
// page's linked style sheets are read (HtmlKeptSpace.h).
std::string MinifyHTML(std::string_view text, const HtmlLevels& levels, const std::string& destinationDirectory,
                       const TRunEnvironment& environment,
                       const std::optional<std::string>& sourceDirectory = std::nullopt);

// The destination path up to and including its last "/"; empty without one.
std::string DestinationDirectory(const std::string& destination);
