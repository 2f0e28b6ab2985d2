#pragma once
// --stdin-name NAME -: one file from standard input to standard output.

#include <functional>
#include <memory>
#include <ostream>
#include <string>

#include "app/cli/Options.h"

class TRunControl;

// Runs the options over one PATH into an output folder: the table (or the
// summary line) to the first stream, notices and failures to the second, the
// table's one row named `shownAs`; returns the exit status.
using TFileRunner =
    std::function<int(const CliOptions&, std::ostream& table, std::ostream& notes, const std::string& shownAs)>;

// Standard input is written whole to a private temporary folder under the
// name of NAME's last part (so NAME's extension picks the optimizer and a
// plug-in gets a real file), run like any file at the options' levels, and
// the output copied to `out` only when the run succeeded: a failure writes
// nothing there. The row (or -q's line) and every message go to `err`, with
// the temporary path shown as NAME. The folder is removed before returning.
int RunStandardStreams(const CliOptions& options, std::ostream& out, std::ostream& err,
                       const std::shared_ptr<TRunControl>& control, const TFileRunner& run);
