#pragma once
// Style and script elements of a page at HTML level 2. An element they do not
// take (no ">" or no closing tag) is copied as any other start tag, so its
// content stays raw text. The opening tag ends at its first ">" outside quotes.

#include <functional>
#include <string>
#include <string_view>

#include "compressors/base/OptimizerTypes.h"
#include "compressors/base/RunEnvironment.h"
#include "compressors/text/HtmlScan.h"
#include "compressors/text/PageTools.h"

// At "<style": minifies the content up to the first "</style>" after the
// opening tag with the style minifier at the CSS level (kept as written at
// level 0 or without one). An
// opening tag with nothing but HTML spaces after "<style" becomes
// <style type="text/css">; any other is kept as it stands.
void CopyStyleBlock(HtmlScan& scan, const THtmlStyleMinifier& style, Level cssLevel);

// At "<script": the element through the first "</script>" after the opening
// tag's ">" goes through the script tool at the JS level when there is one
// and ESC.wsf is in the environment's plug-in folder, and is copied unchanged
// otherwise (a shortfall, when given, counts it when the tool was meant to
// run: a JS level above 0 and ESC.wsf missing).
void CopyScriptBlock(HtmlScan& scan, const std::string& destinationDirectory, THtmlScriptTool tool, Level jsLevel,
                     const TRunEnvironment& environment, TShortfall* shortfall = nullptr);

// Runs the element's trimmed body through the script tool by way of
// "_temporary.<unique>.t3mp" and "_temporary.<unique>.7emp" in the
// destination directory (created exclusively, registered with the run's
// control) and returns the opening tag, the trimmed result and "</script>".
// Both temporary files are gone when it returns or throws. An element whose
// type is no JavaScript (ScriptType.h) is returned as it stands. A body that
// trims to nothing gives the opening tag and "</script>" without starting the tool.
// A body the environment's script results already hold does not start it either.
// When the tool fails on the element (ToolError: it cannot start, ends with
// a status other than 0, is killed or runs out of time) the element is
// returned unchanged, which keeps the page right; "Unable to run" is told,
// and the shortfall (when given) counts it with the tool's reason.
// A temporary file that cannot be made or read fails the page (FileError),
// and so does a cancelled run (RunCancelled).
std::string MinifyScriptBlock(const std::string& destinationDirectory, std::string_view element, Level jsLevel,
                              THtmlScriptTool tool, const TRunEnvironment& environment,
                              TShortfall* shortfall = nullptr);

// The text without leading and trailing bytes of code 32 or less.
std::string_view TrimControl(std::string_view text);
