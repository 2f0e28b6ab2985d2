#pragma once
// The common run of a plug-in that writes the destination: into a temporary
// file beside it, renamed over it only once the plug-in has succeeded.

#include <string>

#include "compressors/base/OptimizerTypes.h"
#include "compressors/base/RunEnvironment.h"

class FileReplacement;

// What the tool's result may be.
enum class EmptyResult {
    Failure,  // an image: an empty file means the tool wrote nothing
    Allowed   // a script: a script of comments alone may minify to nothing
};

// Level 0 is a plain copy. Otherwise the source must be a regular file
// (InputFile), the destination is reserved as a FileReplacement, and the
// command line for the level is run with the source and the replacement's
// temporary file as its destination (ExecuteAndWait, its failures naming
// `tool`: ToolError). A result that is empty where it may not be fails with
// "<tool> wrote no result". The original size is the source's, the optimized
// size the result's.
using WritingToolCommandLine = std::string (*)(const std::string& pluginDir, const std::string& source,
                                               const std::string& destination, Level level);
void RunWritingTool(WritingToolCommandLine commandLine, const std::string& tool, EmptyResult emptyResult,
                    const std::string& source, const std::string& destination, Level level, FileSize& originalSize,
                    FileSize& optimizedSize, const TRunEnvironment& environment);

// The tool's result in the replacement's temporary file, checked and renamed
// over the destination; returns its size (low 32 bits). An empty result
// fails (ToolError "<tool> wrote no result") unless allowed.
FileSize CommitToolResult(FileReplacement& replacement, bool emptyAllowed, const std::string& tool);
